#include "input/KeyFilter.h"

// TODO: implementation pending

