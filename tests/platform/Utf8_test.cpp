#include "platform/Loca.h"
#include "platform/Utf8.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::u16string Decode(const char* utf8) {
    std::u16string out;
    Loca::AssignUtf8(utf8, out);
    return out;
}

TEST(Utf8, DecodesOneTwoAndThreeByteSequences) {
    EXPECT_EQ(Decode("A\xC3\xA4\xE4\xB8\xAD"), u"A\u00E4\u4E2D");
    EXPECT_EQ(Decode(""), u"");
    EXPECT_EQ(Decode(nullptr), u"");
}

TEST(Utf8, DamagedSequencesGiveOneReplacementAndStopAtNul) {
    EXPECT_EQ(Decode("\xF0\x9F\x98\x80!"), u"\uFFFD!") << "four-byte sequence is one unit";
    EXPECT_EQ(Decode("\x80" "A"), u"\uFFFD" u"A") << "lone continuation byte";
    EXPECT_EQ(Decode("\xC3" "A"), u"\uFFFD" u"A") << "two-byte lead without continuation";
    EXPECT_EQ(Decode("\xE4\xB8" "A"), u"\uFFFD" u"A");
    EXPECT_EQ(Decode("\xF0\x9F" "A"), u"\uFFFD" u"A");

    // Truncated at the very end: the decoder must not step over the NUL.
    for (const char* truncated : {"\xE4\xB8", "\xC3", "\xF0\x9F\x98", "\xE4"}) {
        std::string text = std::string(truncated) + '\0' + "hidden";
        EXPECT_EQ(Decode(text.c_str()), u"\uFFFD") << "prefix length " << std::strlen(truncated);
        size_t bytes = 0;
        EXPECT_EQ(Utf8::Length(text.c_str(), &bytes), 1u);
        EXPECT_EQ(bytes, std::strlen(truncated));
    }
    EXPECT_EQ(Decode("\xC0\x80" "A\xE0\x80\x80"), u"\uFFFD" u"A\uFFFD") << "over-long NUL";
}

TEST(Utf8, LengthCountsUnitsLikeTheDecoder) {
    size_t bytes = 0;
    EXPECT_EQ(Utf8::Length("a\xC3\xA4\xF0\x9F\x98\x80\x80", &bytes), 4u);
    EXPECT_EQ(bytes, 8u);
    EXPECT_EQ(Utf8::Length(nullptr, &bytes), 0u);
}

TEST(Utf8, WideToUtf8AtTheEncodingBoundaries) {
    EXPECT_EQ(Loca::WideToUtf8(u"\u007F"), "\x7F");
    EXPECT_EQ(Loca::WideToUtf8(u"\u0080"), "\xC2\x80");
    EXPECT_EQ(Loca::WideToUtf8(u"\u07FF"), "\xDF\xBF");
    EXPECT_EQ(Loca::WideToUtf8(u"\u0800"), "\xE0\xA0\x80");
    EXPECT_EQ(Loca::WideToUtf8(u"\uFFFF"), "\xEF\xBF\xBF");
    EXPECT_EQ(Loca::WideToUtf8(std::u16string(u"ab\0cd", 5)), "ab");
}

TEST(Utf8, SurrogatePairSurvivesTheRoundTrip) {
    const std::u16string pair = u"\U0001F600";
    ASSERT_EQ(pair.size(), 2u);
    std::string utf8 = Loca::WideToUtf8(pair);
    EXPECT_EQ(utf8, "\xED\xA0\xBD\xED\xB8\x80");
    EXPECT_EQ(Decode(utf8.c_str()), pair);
}

TEST(Utf8, EightBitTextWidensUnsigned) {
    EXPECT_EQ(Loca::ToUtf8("\xE4"), "\xC3\xA4");
    EXPECT_EQ(WidenBytes("\xFF" "a"), u"\u00FF" u"a");
    // Values written by the old signed widening still read back as written.
    EXPECT_EQ(Decode("\xEF\xBF\xA4"), u"\uFFE4");
}

TEST(Utf8, MakeWideStringStopsAtTheTerminator) {
    const char16_t text[] = {u'h', u'i', 0, u'x', 0};
    EXPECT_EQ(MakeWideString(text), u"hi");
    EXPECT_EQ(MakeWideString(nullptr), u"");
}

}  // namespace
