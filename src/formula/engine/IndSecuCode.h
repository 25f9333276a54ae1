#pragma once
// The engine names securities with the shared key; formulas and loaders take it from here.
#include "foundation/IndSecuCode.h"
