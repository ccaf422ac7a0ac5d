#include "platform/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <string>

namespace {

TEST(NumberText, FormatsLikeThePrintfConversions) {
    EXPECT_EQ(NumberText::FormatInt(-1), "-1");
    EXPECT_EQ(NumberText::FormatInt(INT32_MIN), "-2147483648");
    EXPECT_EQ(NumberText::FormatFloat(0.7f), "0.700000");
    EXPECT_EQ(NumberText::FormatFloat(-2.5), "-2.500000");
    EXPECT_EQ(NumberText::FormatFloat(1e-9), "0.000000");
    EXPECT_EQ(NumberText::FormatFloat(3.4e38f).size(), 39u + 7u);
}

TEST(NumberText, ParsesLikeAtolAndStrtod) {
    EXPECT_EQ(NumberText::ParseInt(" \t+12abc"), 12);
    EXPECT_EQ(NumberText::ParseInt("-7"), -7);
    EXPECT_EQ(NumberText::ParseInt("x1"), 0);
    EXPECT_EQ(NumberText::ParseInt("-99999999999999999999"), INT32_MIN);
    EXPECT_EQ(NumberText::ParseInt(nullptr), 0);
    EXPECT_DOUBLE_EQ(NumberText::ParseFloat("  +0.25rest"), 0.25);
    EXPECT_DOUBLE_EQ(NumberText::ParseFloat("\n-1.5e2"), -150.0);
    EXPECT_DOUBLE_EQ(NumberText::ParseFloat(".5"), 0.5);
    EXPECT_DOUBLE_EQ(NumberText::ParseFloat("+-1"), 0.0);
    EXPECT_DOUBLE_EQ(NumberText::ParseFloat("abc"), 0.0);
    EXPECT_DOUBLE_EQ(NumberText::ParseFloat(""), 0.0);
}

// Under a comma-decimal locale the C library would write "0,700000" and read
// "0.7" as 0; the saved files must not change with the player's locale.
TEST(NumberText, IgnoresTheProcessLocale) {
    std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    const char* comma = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(LC_NUMERIC, name)) {
            comma = name;
            break;
        }
    // A locale that does not use a comma would prove nothing below.
    const bool decimalComma = comma && std::localeconv()->decimal_point[0] == ',';
    std::string written = NumberText::FormatFloat(0.7f);
    double read = NumberText::ParseFloat("0.7");
    std::setlocale(LC_NUMERIC, previous.c_str());
    ASSERT_TRUE(decimalComma) << "no comma-decimal locale is installed (scripts/setup.sh generates de_DE.UTF-8)";
    EXPECT_EQ(written, "0.700000");
    EXPECT_DOUBLE_EQ(read, 0.7);
}

}  // namespace
