#pragma once
// Numbers as the saved files hold them, independent of the process locale:
// integers as "%d" writes them, floats in fixed notation with six decimals,
// and readers that accept what atol and strtod accept in the "C" locale
// (leading blanks, a sign including '+').

#include <cstdint>
#include <string>

namespace NumberText {

std::string FormatInt(int32_t value);
// "0.700000" for 0.7f: the float widened to double, fixed, six decimals.
std::string FormatFloat(double value);

// The leading decimal integer, clamped to 32 bits; 0 when there is none.
int32_t ParseInt(const char* text);
// The leading decimal number; 0 when there is none or it is out of range.
double ParseFloat(const char* text);

}  // namespace NumberText
