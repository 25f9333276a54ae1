#pragma once
// Built-in evaluators the engine calls through its BaseFunctions table. Each receives the
// upper-case function name and the evaluation context, works on the context's record
// stack, leaves its result in the lowest argument record and returns a status byte.

#include <cstdint>
#include <vector>

#include "formula/engine/IndicatorExp.h"

class CSouceEditor;

uint8_t EvalBarsFunctions(const char* name, CSouceEditor* ctx);       // slot 4
uint8_t EvalWindowFunctions(const char* name, CSouceEditor* ctx);     // slot 6
uint8_t EvalDynaInfo(const char* name, CSouceEditor* ctx);            // slot 13
uint8_t EvalZigFunctions(const char* name, CSouceEditor* ctx);        // slot 20
uint8_t EvalCostFunctions(const char* name, CSouceEditor* ctx);       // slot 21
uint8_t EvalSarFunctions(const char* name, CSouceEditor* ctx);        // slot 22
uint8_t EvalStringFunctions(const char* name, CSouceEditor* ctx);     // slot 28
uint8_t EvalIndicatorReference(const char* name, CSouceEditor* ctx);  // slot 37

void InstallBuiltinEvaluators();

// Output-line array maintenance used by the indicator reference.
void ClearIndicatorExps(std::vector<CIndicatorExp>& exps);
// Throws std::invalid_argument for an index outside [0, count).
void RemoveIndicatorExpAt(int index, std::vector<CIndicatorExp>& exps);
