#include "foundation/IndSecuCode.h"
