#include "report/Texts.h"

// TODO: implementation pending

