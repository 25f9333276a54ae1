#pragma once
// One-byte status of the engine's call-backs (built-in evaluators and data loaders).
// The codes are shared by both directions of the engine boundary and never change.

#include <cstdint>

namespace EngineStatus {
inline constexpr uint8_t kOk = 0x00;
inline constexpr uint8_t kSubFormulaIndex = 0x07;  // referenced sub-formula index out of range
inline constexpr uint8_t kNotNumber = 0x0C;        // an argument that must be a number is not
inline constexpr uint8_t kNoMemory = 0x0D;         // no memory, or a required data array is missing
inline constexpr uint8_t kCalcFailed = 0x0E;      // empty range, no data, or the calculation failed
inline constexpr uint8_t kOutOfRange = 0x0F;      // numeric argument outside its allowed range
inline constexpr uint8_t kSeriesIsNumber = 0x10;  // a series argument is a number
inline constexpr uint8_t kBadPercent = 0x11;      // percentage outside 0..100 or negative count
inline constexpr uint8_t kRefHashBeforeDot = 0x17;  // reference text with "#" before "."
inline constexpr uint8_t kRefNotFound = 0x18;       // referenced indicator not in the catalogue
inline constexpr uint8_t kRefNoCompile = 0x19;      // referenced indicator does not compile
inline constexpr uint8_t kRefLineNotFound = 0x1A;   // referenced output line not found
inline constexpr uint8_t kRefBadPeriod = 0x1C;      // referenced period text not recognised
inline constexpr uint8_t kNotSeries = 0x1F;         // series argument neither a number nor a series
inline constexpr uint8_t kTextIsNumber = 0x20;      // text argument is a number or number series
inline constexpr uint8_t kStackUnderflow = 0xFF;    // fewer records on the stack than needed
}  // namespace EngineStatus
