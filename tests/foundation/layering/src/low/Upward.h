#pragma once
// Reaches up into the module that builds on this one.
#include "low/Low.h"
#include "high/High.h"
