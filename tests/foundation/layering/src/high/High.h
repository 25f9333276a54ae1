#pragma once
// Builds on low, which it declares.
#include <vector>

#include "low/Low.h"
inline int High() { return Low() + 1; }
