#include "report/FormatFixed.h"

// TODO: implementation pending

