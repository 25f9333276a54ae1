#pragma once
// A compiled formula: a flat stack-machine program over whole series, plus the shapes of its
// output lines and draw functions. Immutable once built; indicator copies share it.

#include <cstdint>
#include <string>
#include <vector>

#include "formula/engine/IndSecuCode.h"
#include "formula/engine/IndicatorDrawFunc.h"
#include "formula/engine/IndicatorExp.h"

enum class Op : uint8_t {
    PushNum,       // num
    PushText,      // a = text index
    PushParam,     // a = parameter index
    Load,          // a = element index (loader slot and its security/period)
    LoadVar,       // a = variable index; sub 1: its last read (may take the record)
    StoreVar,      // a = variable index; pops
    StoreLine,     // a = output line index, b = variable index (-1 none); pops;
                   // sub 1: the variable is never read (the line may take the record)
    StoreDrawArg,  // a = draw argument index; pops
    Unary,         // sub = UnOp
    Binary,        // sub = BinOp
    CallCore,      // a = CoreFn, b = argument count
    CallBase,      // a = evaluator slot, b = argument count, name = text index
    Swap,          // exchanges the two records on top
    CopyVar,       // a = variable index; copies the top record, keeps it on the stack
};
enum class UnOp : uint8_t { Neg, Not };
enum class BinOp : uint8_t { Add, Sub, Mul, Div, Lt, Le, Gt, Ge, Eq, Ne, And, Or };

struct Instr {
    Op op;
    uint8_t sub = 0;
    uint16_t a = 0;
    int32_t b = 0;
    double num = 0;
    uint16_t name = 0;     // CallBase, CallCore, Load: text index of the function's name
    int32_t srcFirst = 0;  // source characters, for run-time messages
    int32_t srcLast = 0;
};

struct ElementSpec {
    uint16_t slot = 0;
    CIndSecuCode secu;
    int16_t dataType = 0;
    int16_t period = 0;
};

struct LineStyle {
    std::string name;
    int16_t style = CIndicatorExp::kLine;
    int16_t layer = 0;
    int16_t shift = 0;
    int16_t halign = 0;
    int16_t valign = 0;
    int32_t mainChart = 0;
    int32_t ownColor = 0;
    uint32_t color = 0;
    int16_t thick = 1;
    int32_t noTitle = 0;
};

struct FormulaProgram {
    std::vector<Instr> code;
    std::vector<std::string> texts;
    std::vector<ElementSpec> elements;
    std::vector<std::string> varNames;
    std::vector<LineStyle> lines;
    std::vector<LineStyle> drawArgs;
    std::vector<CIndicatorDrawFunc> drawFuncs;
    int maxDepth = 0;
};
