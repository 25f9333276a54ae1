#pragma once
// The names of the formula language: data series (served by loader slots), constants,
// line attributes, the engine's own functions, functions served by built-in evaluator slots,
// and draw functions.

#include <cstdint>
#include <string>
#include <vector>

#include "formula/engine/EngineTables.h"

enum class FunctionClass : uint8_t { Series, Constant, Colour, Style, Core, Base, Draw };

enum class CoreFn : uint16_t {
    Ref,
    Ma,
    Ema,
    Sma,
    Wma,
    Dma,
    If,
    Cross,
    LongCross,
    Abs,
    Max,
    Min,
    Std,
    Stdp,
    Var,
    Varp,
    Avedev,
    Devsq,
    Slope,
    Forcast,
    ValueWhen,
    Filter,
    Backset,
    Const,
    Not,
    Between,
    Range,
    Sqrt,
    Pow,
    Ln,
    Log,
    Exp,
    Sin,
    Cos,
    Tan,
    Asin,
    Acos,
    Atan,
    Ceiling,
    Floor,
    Intpart,
    Round,
    Sign,
    Mod,
    Rgb,
};

struct FunctionInfo {
    const char* name;
    FunctionClass cls;
    uint16_t id;   // CoreFn, draw kind or style code
    int16_t slot;  // loader or evaluator slot
    int16_t minArgs;
    int16_t maxArgs;        // -1: any number
    const char* canonical;  // name handed to the evaluator (aliases resolve to it)
    double value;           // constants: the value; colours: the COLORREF
};

// Upper-case name -> entry, or null.
const FunctionInfo* FindFunction(const std::string& upperName);
const std::vector<FunctionInfo>& AllFunctions();
