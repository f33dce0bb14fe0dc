#include "input/Validators.h"

// TODO: implementation pending

