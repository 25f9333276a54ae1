#pragma once
// The engine's own vector functions. Arguments sit on the context's stack from base upward;
// the result replaces the record at base. Every function works on whole series and narrows
// the valid range by what it needs (a window of N bars starts N - 1 bars later).

#include <cstdint>

#include "formula/engine/FunctionTable.h"

class CSouceEditor;

// [rangeFirst, rangeLast] is the formula's calculation range (numbers count as valid there);
// barCount the size of every series. Returns an EngineStatus code.
uint8_t CallCoreFunction(CoreFn fn, CSouceEditor& ctx, int base, int count, int rangeFirst,
                         int rangeLast, int barCount);

// Arithmetic, comparison and logic between the two records on top of the stack; the result
// replaces the lower one.
uint8_t ApplyBinary(uint8_t op, CSouceEditor& ctx, int rangeFirst, int rangeLast, int barCount);
uint8_t ApplyUnary(uint8_t op, CSouceEditor& ctx, int rangeFirst, int rangeLast, int barCount);
