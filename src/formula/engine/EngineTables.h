#pragma once
// Tables through which the system supplies the engine with built-in functions, data-series
// loaders and the periods formulas may use. Filled once at start-up, before any formula
// is evaluated; read on the computing thread only.

#include <cstdint>

class CSouceEditor;
class CElement;
class CKlineLight;

// Built-in evaluator: upper-case function name and the evaluation context; one-byte status.
using BaseFunction = uint8_t (*)(const char* name, CSouceEditor* ctx);
// Data-series loader: the element naming the series, the formula and the context; status.
using LoadFunction = int (*)(CElement* element, CKlineLight* formula, CSouceEditor* ctx);

inline constexpr int kBaseFunctionSlots = 64;
inline constexpr int kLoadFunctionSlots = 64;
inline constexpr int kDataTypeAndPeriodSize = 13;

extern BaseFunction BaseFunctions[kBaseFunctionSlots];
extern LoadFunction aLoadFunctions[kLoadFunctionSlots];
// Allowed data types, then periods, -1 ending each list.
extern int32_t m_DataTypeAndPeriod[kDataTypeAndPeriodSize];
