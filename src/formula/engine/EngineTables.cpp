#include "formula/engine/EngineTables.h"

BaseFunction BaseFunctions[kBaseFunctionSlots] = {};
LoadFunction aLoadFunctions[kLoadFunctionSlots] = {};
int32_t m_DataTypeAndPeriod[kDataTypeAndPeriodSize] = {2, 3, 4, 5, 6, 13, 1, 2, 3, 4, 5, 6, -1};
