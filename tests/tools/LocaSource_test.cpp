// Text sources through the data tool into tables that the engine's Loca
// reads, and the refusals an author sees.

#include "platform/FileManager.h"
#include "platform/Loca.h"
#include "support/GlobalDataRoot.h"
#include "support/SourceFiles.h"
#include "tools/datawriters/LocaSource.h"

#include <gtest/gtest.h>

namespace {

std::u16string Translate(const Loca& loca, const char* key) {
    std::u16string out;
    loca.Translate(key, out);
    return out;
}

TEST(LocaSource, TableReadsBackWithItsUtf8Texts) {
    const std::string source =
        "\xEF\xBB\xBF# greeting texts\r\n"
        "\r\n"
        "menu_start = Spiel starten \xE2\x80\x93 \xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\r\n"
        "  # an indented comment\n"
        "price=\xE2\x82\xAC 5\n"
        "two_lines = first\\nsecond\\t\\\\ end\\s\n"
        "empty =\n"
        "sum = a=b\n";
    LocaTableWriter table;
    ASSERT_EQ(LocaSource::Read(source, table), "");
    EXPECT_EQ(table.Count(), 5u);
    testsupport::GlobalDataRoot().WriteFile("loca/loca_tooltest.bin", table.Build());
    FileManager::Global().ResetDirectoryCaches();

    Loca loca;
    ASSERT_TRUE(loca.Load("tooltest"));
    EXPECT_EQ(loca.GetKeyCount(), 5u);
    EXPECT_EQ(Translate(loca, "#menu_start"), u"Spiel starten \u2013 \u00E4\u00F6\u00FC\u00DF");
    EXPECT_EQ(Translate(loca, "#price"), u"\u20AC 5");
    EXPECT_EQ(Translate(loca, "#two_lines"), u"first\nsecond\t\\ end ");
    EXPECT_EQ(Translate(loca, "#empty"), u"");
    EXPECT_EQ(Translate(loca, "#sum"), u"a=b");
}

TEST(LocaSource, RefusalsNameTheLineAndTheFault) {
    struct Refusal {
        const char* source;
        const char* message;
    } refusals[] = {
        {"a = 1\nno equals sign\n", "line 2: expected 'key = text'"},
        {"= text\n", "line 1: missing key before '='"},
        {"#key = text\nx\n", "line 2: expected 'key = text'"},
        {"two words = text\n", "line 1: blank space inside the key 'two words'"},
        {"a = 1\n\na = 2\n", "line 3: key 'a' already given on line 1"},
        {"a = bad\\q\n", "line 1: unknown escape '\\q' (use \\n, \\t, \\s or \\\\)"},
        {"a = end\\\n", "line 1: unknown escape '\\' (use \\n, \\t, \\s or \\\\)"},
        {"a = K\xE4se\n", "line 1: not valid UTF-8, or a character the game cannot show (beyond U+FFFF)"},
        {"a = \xF0\x9F\x98\x80\n", "line 1: not valid UTF-8, or a character the game cannot show (beyond U+FFFF)"},
        {"a = \xED\xA0\x80\n", "line 1: not valid UTF-8, or a character the game cannot show (beyond U+FFFF)"},
        {"a = \xE0\x80\xAF\n", "line 1: not valid UTF-8, or a character the game cannot show (beyond U+FFFF)"},
        {"# only a comment\n\n", "the source holds no texts"},
        {"", "the source holds no texts"},
    };
    for (const Refusal& refusal : refusals) {
        LocaTableWriter table;
        EXPECT_EQ(LocaSource::Read(refusal.source, table), refusal.message) << refusal.source;
    }
    LocaTableWriter table;
    EXPECT_EQ(LocaSource::Read(std::string_view("a = x\0y\n", 8), table),
              "line 1: not valid UTF-8, or a character the game cannot show (beyond U+FFFF)");
    EXPECT_EQ(LocaSource::Read(std::string(300, 'k') + " = long\n", table),
              "line 1: key longer than 255 bytes");
}

TEST(LocaSource, CommittedSourcesMakeTheCommittedTables) {
    for (const char* language : {"english", "german"}) {
        const std::string source = testsupport::ReadWholeFile(
            testsupport::SourceFolder(std::string("data/source/loca/") + language + ".txt"));
        const std::string committed = testsupport::ReadWholeFile(testsupport::SourceFolder(
            std::string("data/Data/Global/loca/loca_") + language + ".bin"));
        ASSERT_FALSE(source.empty()) << language;
        LocaTableWriter table;
        ASSERT_EQ(LocaSource::Read(source, table), "") << language;
        EXPECT_EQ(table.Build(), committed) << language << ": run data/source/make_data.sh";
    }
}

}  // namespace
