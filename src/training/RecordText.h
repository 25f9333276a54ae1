#pragma once
// Number texts of the record file, independent of the process locale (the GUI sets the
// user's locale, whose decimal separator may be a comma).

#include <cstdint>
#include <string>
#include <string_view>

// printf("%.<precision>f") in the C locale.
std::string FormatFixed(double value, int precision);

// The `precision`-decimal form when it reads back as exactly `value`, otherwise the shortest
// decimal form that does. Stays plain decimal text any reader of the file understands.
std::string FormatExact(double value, int precision);

// The same texts written into `out`, which holds at least kMaxNumberText characters; they
// return the length. The record file writes thousands of numbers, and most of them are
// prices and amounts with few decimals, which these format without a detour.
inline constexpr size_t kMaxNumberText = 400;
size_t FormatFixedTo(char* out, double value, int precision);
size_t FormatExactTo(char* out, double value, int precision);

// Leading decimal number of `text` (as strtod / strtoll would take it); 0 when none.
double ParseDouble(std::string_view text);
int64_t ParseInt64(std::string_view text);

// Texts of the file are GBK; inside the program they are UTF-8. A character GBK lacks is
// stored as a character reference, so nothing the user typed is lost.
// EscapeFileText gives the attribute value ready to print (XML specials escaped);
// UnescapeFileText takes a value as it stands in the file (entities not yet decoded).
std::string EscapeFileText(std::string_view utf8);
std::string UnescapeFileText(std::string_view raw);
