#pragma once
// Compiles formula text into a FormulaProgram. Errors carry a code, a Chinese message and the
// character range [first, last) of the offending text (characters, not bytes, so the editor
// can select them).

#include <memory>
#include <string>
#include <vector>

#include "formula/engine/FormulaProgram.h"

namespace FormulaError {
inline constexpr int kOk = 0;
inline constexpr int kBadChar = 1;  // a character the language does not use
inline constexpr int kUnterminatedText = 2;
inline constexpr int kSyntax = 3;  // a token where another was expected
inline constexpr int kUnknownName = 4;
inline constexpr int kArgCount = 5;
inline constexpr int kDuplicateName = 6;
inline constexpr int kBadArgument = 7;   // a text where a number is needed, or the reverse
inline constexpr int kEmpty = 8;         // nothing to draw or compute
inline constexpr int kBadAttribute = 9;  // unknown word after a comma
inline constexpr int kBadNumber = 10;
inline constexpr int kDrawInExpression = 11;  // draw functions stand alone
inline constexpr int kBadPeriod = 12;         // unknown period after '#'
inline constexpr int kTooComplex = 13;        // nested too deeply or too long
}  // namespace FormulaError

struct CompileError {
    int code = 0;
    std::string message;
    int first = 0;
    int last = 0;
};

std::shared_ptr<const FormulaProgram> CompileFormula(const std::string& source,
                                                     const std::vector<std::string>& paramNames,
                                                     CompileError& error);
