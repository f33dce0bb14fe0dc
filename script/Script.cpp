#include "script/Script.h"

// TODO: implementation pending

