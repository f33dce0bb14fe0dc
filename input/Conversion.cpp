#include "input/Conversion.h"

// TODO: implementation pending

