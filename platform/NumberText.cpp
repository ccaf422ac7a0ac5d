#include "platform/NumberText.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace NumberText {

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

const char* SkipBlanks(const char* text) {
    while (IsBlank(*text)) ++text;
    return text;
}

}  // namespace

std::string FormatInt(int32_t value) {
    char buffer[16];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string FormatFloat(double value) {
    // The largest double in fixed notation needs 309 digits and the decimals.
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    if (result.ec != std::errc()) return "0.000000";
    return std::string(buffer, result.ptr);
}

int32_t ParseInt(const char* text) {
    if (!text) return 0;
    text = SkipBlanks(text);
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    int64_t value = 0;
    constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > kLimit) value = kLimit;  // saturate; keeps the product small
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(value);
}

double ParseFloat(const char* text) {
    if (!text) return 0.0;
    text = SkipBlanks(text);
    if (*text == '+') {
        ++text;
        if (*text == '-' || *text == '+') return 0.0;  // strtod takes one sign only
    }
    double value = 0.0;
    auto result = std::from_chars(text, text + std::strlen(text), value, std::chars_format::general);
    return result.ec == std::errc() ? value : 0.0;
}

}  // namespace NumberText
