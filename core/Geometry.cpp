#include "core/Geometry.h"

// TODO: implementation pending

