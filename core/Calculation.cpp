#include "core/Calculation.h"

// TODO: implementation pending

