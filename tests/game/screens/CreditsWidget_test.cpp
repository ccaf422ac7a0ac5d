#include "game/screens/CreditsWidget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gui/GuiMain.h"
#include "gui/GuiText.h"
#include "platform/Loca.h"
#include "platform/XmlUtil.h"
#include "script/runtime/values/VarUnicode.h"
#include "support/LocaTableWriter.h"
#include "support/SourceFiles.h"
#include "tests/game/SceneTestSupport.h"

namespace {

using halvo::AutoRef;
using halvo::GuiWidget;
using namespace scenetest;

constexpr const char* kFontPath = "gui/verdana.ttf";

std::u16string TextOf(GuiWidget* widget) {
    Vrel::Var* value = widget->GetMember("text");
    Vrel::VarUnicode* unicode = value ? Vrel::ToVarUnicode(*value) : nullptr;
    return unicode ? std::u16string(unicode->GetText()) : u"<none>";
}

class CreditsWidgetTest : public SceneFixture {
protected:
    void SetUp() override {
        SceneFixture::SetUp();
        std::ifstream font("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", std::ios::binary);
        ASSERT_TRUE(font) << "install fonts-dejavu-core (scripts/setup.sh)";
        WriteFile(kFontPath, std::string(std::istreambuf_iterator<char>(font), {}));
        testsupport::LocaTableWriter table;
        table.Add("credits_code", "Code");
        table.Add("stats_time", "Time played");
        table.Add("stats_mini_steps", "moves");
        table.Add("stats_mini_attempts", "attempts");
        WriteFile("loca/loca_test.bin", table.Build());
        FileManager::Global().ResetDirectoryCaches();
        ASSERT_TRUE(Loca::Global().Load("test"));
    }
    void TearDown() override {
        if (frame) frame->RemoveAndDetach();
        frame.Reset();
        SceneFixture::TearDown();
    }
    // A frame of 800 x `height` under the GUI root, on the credits page or not.
    bool Open(const char* credits, float height = 300, const char* statistics = nullptr) {
        if (frame) frame->RemoveAndDetach();
        if (credits) WriteFile(CreditsWidget::kCreditsFile, credits);
        if (statistics) WriteFile(CreditsWidget::kStatisticsFile, statistics);
        Vrel::t_Named table;
        table.GetOrAddMember("xsize")->SetFloat(800);
        table.GetOrAddMember("ysize")->SetFloat(height);
        if (credits) table.GetOrAddMember(CreditsWidget::kPropCredits)->SetBool(true);
        frame = halvo::GuiCreateWidget("Frame", table, halvo::GuiMain::Global().GetRoot());
        return CreditsWidget::Create(frame.Get());
    }
    std::vector<GuiWidget*> Lines() const {
        std::vector<GuiWidget*> lines;
        for (GuiWidget* child = frame->GetFirstChild(); child; child = child->GetNextSibling())
            lines.push_back(child);
        return lines;
    }
    // Updates (17 ms each) until the frame has `count` children; false after 5000.
    bool UpdateUntil(size_t count) {
        for (int i = 0; i < 5000; ++i) {
            frame->Update(0, 17);
            if (Lines().size() == count) return true;
        }
        return false;
    }
    GuiWidget* AddChildAt(float y) {
        Vrel::t_Named table;
        table.GetOrAddMember("ypos")->SetFloat(y);
        return halvo::GuiCreateWidget("Frame", table, frame.Get()).Get();
    }

    AutoRef<GuiWidget> frame;
};

// The statistics page; the credits roll once (the sample route holds that).
TEST_F(CreditsWidgetTest, LinesRiseOneAfterAnotherAndThePageStartsAgain) {
    ASSERT_TRUE(Open(nullptr, 300,
                     "<credits size1=\"30\" size2=\"x\"><head text=\"Tavrin\" label=\"credits_code\">"
                     "<role label=\"#credits_code\"><name text=\"Tavrin t\xC3\xA4" "am\"/></role></head></credits>"));
    EXPECT_TRUE(Lines().empty());
    ASSERT_TRUE(UpdateUntil(1));
    GuiWidget* head = Lines()[0];
    ASSERT_TRUE(CastTo<halvo::GuiText>(head));
    EXPECT_EQ(TextOf(head), u"Tavrin");  // "text" wins over "label"
    EXPECT_FLOAT_EQ(head->ReadFloat("ypos"), 300 - 1.19f + 32);
    EXPECT_EQ(head->ReadFloat("alpha"), 0);
    EXPECT_EQ(head->ReadInt("size"), 30);
    frame->Update(0, 17);
    EXPECT_NEAR(head->ReadFloat("ypos"), 300 - 2 * 1.19f + 32, 1e-3);

    // Each line starts below the one before: its height, then the gap of its depth.
    ASSERT_TRUE(UpdateUntil(3));
    GuiWidget* role = Lines()[1];
    GuiWidget* name = Lines()[2];
    EXPECT_EQ(TextOf(role), u"Code");
    EXPECT_EQ(role->ReadInt("size"), 44);  // "x" keeps the default
    EXPECT_EQ(static_cast<uint32_t>(role->ReadInt("color")), 0xFFBFBFBFu);
    EXPECT_NEAR(role->ReadFloat("ypos") - head->ReadFloat("ypos"), head->ReadFloat("ysize") + 16, 1e-3);
    EXPECT_EQ(TextOf(name), u"Tavrin t\u00E4am");
    EXPECT_EQ(name->ReadFloat("xpos"), 150);
    EXPECT_NEAR(name->ReadFloat("ypos") - role->ReadFloat("ypos"), role->ReadFloat("ysize"), 1e-3);

    // All gone above the top: the next update makes the first line again.
    ASSERT_TRUE(UpdateUntil(0));
    frame->Update(0, 17);
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_EQ(TextOf(Lines()[0]), u"Tavrin");
    EXPECT_FLOAT_EQ(Lines()[0]->ReadFloat("ypos"), 300 - 1.19f + 32);
}

TEST_F(CreditsWidgetTest, LinesFadeAtBothEdgesAndGoFiftyUnitsAboveTheTop) {
    ASSERT_TRUE(Open("<credits/>"));
    const float rise = 1.19f;
    GuiWidget* low = AddChildAt(64 + rise);
    GuiWidget* high = AddChildAt(236 + rise);
    GuiWidget* middle = AddChildAt(150 + rise);
    GuiWidget* above = AddChildAt(-10 + rise);
    AddChildAt(-50.5f + rise);
    AddChildAt(-50.4f + rise);  // removed in the same pass as its neighbour
    frame->Update(0, 17);
    EXPECT_EQ(Lines(), (std::vector<GuiWidget*>{low, high, middle, above}));
    EXPECT_NEAR(low->ReadFloat("alpha"), 0.5f, 1e-5);
    EXPECT_NEAR(high->ReadFloat("alpha"), 0.5f, 1e-5);
    EXPECT_EQ(middle->ReadFloat("alpha"), 1);
    EXPECT_EQ(above->ReadFloat("alpha"), 0);
}

TEST_F(CreditsWidgetTest, TheStatisticsPageShowsValuesBesideTheirLines) {
    DataTree::SetInt("[STATS]/time", 3725);
    DataTree::SetInt("[STATS]/mosaik", 12);
    DataTree::SetInt("[STATS]/schloss_trys", 3);
    DataTree::SetInt("[STATS]/transits", 7);
    ASSERT_TRUE(Open(nullptr, 3000,
                     "<statistics><time label=\"stats_time\" type=\"time\" key=\"[STATS]/time\"/>"
                     "<a text=\"Moves\" type=\"steps\" key=\"[STATS]/mosaik\"/>"
                     "<a text=\"Tries\" type=\"trys\" key=\"[STATS]/schloss_trys\"/>"
                     "<a text=\"Odd\" type=\"weird\" key=\"[STATS]/time\"/><a text=\"No key\" type=\"count\"/>"
                     "<a text=\"1\"><b text=\"2\"><c text=\"3\"><d text=\"4\">"
                     "<e text=\"5\" type=\"count\" key=\"[STATS]/transits\"/></d></c></b></a></statistics>"));
    ASSERT_TRUE(UpdateUntil(16));
    const std::vector<GuiWidget*> lines = Lines();
    std::vector<std::u16string> texts;
    for (GuiWidget* line : lines) texts.push_back(TextOf(line));
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"Time played", u"01:02:05", u"Moves", u"12 moves", u"Tries",
                                                  u"3 attempts", u"Odd", u"(missing)", u"No key", u"0", u"1",
                                                  u"2", u"3", u"4", u"5", u"7"}));
    // The value shares its line's row and ends 150 units from the right
    // edge, at any depth.
    EXPECT_EQ(lines[1]->ReadFloat("ypos"), lines[0]->ReadFloat("ypos"));
    EXPECT_EQ(lines[1]->ReadFloat("xpos"), 50);
    EXPECT_EQ(lines[1]->ReadFloat("xsize"), 600);
    EXPECT_EQ(lines[1]->ReadInt("x_align"), halvo::GuiText::kAlignRight);
    // Deeper than four levels looks like the fourth.
    EXPECT_EQ(lines[14]->ReadFloat("xpos"), 200);
    EXPECT_EQ(lines[14]->ReadInt("size"), 36);
    EXPECT_EQ(lines[15]->ReadFloat("xsize"), 450);
}

TEST_F(CreditsWidgetTest, ACountOfOneTakesTheSingularWhereTheTableHasOne) {
    testsupport::LocaTableWriter table;
    table.Add("stats_mini_steps", "moves");
    table.Add("stats_mini_steps_one", "move");
    table.Add("stats_mini_attempts", "attempts");  // a table made before singulars
    WriteFile("loca/loca_test.bin", table.Build());
    FileManager::Global().ResetDirectoryCaches();
    ASSERT_TRUE(Loca::Global().Load("test"));
    std::vector<std::u16string> texts;
    for (int32_t count : {1, -1, 0}) {
        DataTree::SetInt("[STATS]/n", count);
        ASSERT_TRUE(Open(nullptr, 3000,
                         "<statistics><a text=\"Moves\" type=\"steps\" key=\"[STATS]/n\"/>"
                         "<a text=\"Tries\" type=\"trys\" key=\"[STATS]/n\"/></statistics>"));
        ASSERT_TRUE(UpdateUntil(4));
        texts.push_back(TextOf(Lines()[1]));
        texts.push_back(TextOf(Lines()[3]));
    }
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"1 move", u"1 attempts", u"-1 moves", u"-1 attempts",
                                                  u"0 moves", u"0 attempts"}));
}

// The sample's own page, fonts and tables: every line as the player reads
// it with all counters at 0, 1 and 2, in English and German. Moves and
// attempts take the singular for one only, and every value, the code lock's
// under their own heading too, ends at the one edge, clear of its label.
TEST_F(CreditsWidgetTest, TheSampleStatisticsReadRightForNoneOneAndTwoInBothLanguages) {
    struct Words {
        const char* language;
        std::u16string move, moves, attempt, attempts;
    };
    const Words kWords[] = {{"english", u"move", u"moves", u"attempt", u"attempts"},
                            {"german", u"Zug", u"Z\u00FCge", u"Versuch", u"Versuche"}};
    const std::filesystem::path global = testsupport::SourceFolder("data/Data/Global");
    const std::string page = testsupport::ReadWholeFile(global / CreditsWidget::kStatisticsFile);
    WriteFile(kFontPath, testsupport::ReadWholeFile(testsupport::SourceFolder("data/Data/Shared") / kFontPath));
    TiXmlDocument document;
    CreditsPage described;
    std::string parsed = page;
    ASSERT_TRUE(XmlParseText(document, parsed.data()));
    ASSERT_EQ(ReadCreditsPage(document, described), nullptr);
    size_t widgets = described.lines.size();
    for (const CreditsLine& line : described.lines)  // the wires count moves, as the sliding picture does
        EXPECT_EQ(line.key == "[STATS]/draehte" || line.key == "[STATS]/mosaik", line.value == CreditsValue::kSteps)
            << line.key;
    for (const CreditsLine& line : described.lines) widgets += line.value != CreditsValue::kNone;

    for (const Words& words : kWords) {
        const std::string table = "loca/loca_" + std::string(words.language) + ".bin";
        WriteFile(table, testsupport::ReadWholeFile(global / table));
        FileManager::Global().ResetDirectoryCaches();
        ASSERT_TRUE(Loca::Global().Load(words.language));
        for (int32_t count : {0, 1, 2}) {
            const std::u16string number(1, static_cast<char16_t>(u'0' + count));
            std::vector<std::u16string> expected;
            for (const CreditsLine& line : described.lines) {
                if (!line.key.empty()) DataTree::SetInt(line.key.c_str(), count);
                switch (line.value) {
                case CreditsValue::kTime: expected.push_back(u"00:00:0" + number); break;
                case CreditsValue::kCount: expected.push_back(number); break;
                case CreditsValue::kSteps:
                    expected.push_back(number + u" " + (count == 1 ? words.move : words.moves));
                    break;
                case CreditsValue::kAttempts:
                    expected.push_back(number + u" " + (count == 1 ? words.attempt : words.attempts));
                    break;
                default: break;
                }
            }
            ASSERT_TRUE(Open(nullptr, 5000, page.c_str()));
            ASSERT_TRUE(UpdateUntil(widgets)) << words.language;
            const std::vector<GuiWidget*> lines = Lines();
            std::vector<std::u16string> values;
            std::vector<float> rightEdges;
            for (size_t i = 1; i < lines.size(); ++i) {
                if (lines[i]->ReadInt("x_align") != halvo::GuiText::kAlignRight) continue;
                values.push_back(TextOf(lines[i]));
                rightEdges.push_back(lines[i]->ReadFloat("xpos") + lines[i]->ReadFloat("xsize"));
                const auto* label = CastTo<halvo::GuiText>(lines[i - 1]);
                const auto* value = CastTo<halvo::GuiText>(lines[i]);
                ASSERT_TRUE(label && value && label->GetLineCount() == 1 && value->GetLineCount() == 1)
                    << words.language << " " << Loca::WideToUtf8(TextOf(lines[i - 1]));
                EXPECT_EQ(value->ReadFloat("ypos"), label->ReadFloat("ypos"));
                EXPECT_LT(label->ReadFloat("xpos") + label->GetLineWidth(0),
                          rightEdges.back() - value->GetLineWidth(0) - 20)
                    << words.language << ": " << Loca::WideToUtf8(TextOf(lines[i - 1])) << " runs into "
                    << Loca::WideToUtf8(values.back());
            }
            EXPECT_EQ(values, expected) << words.language << " " << count;
            ASSERT_FALSE(rightEdges.empty());
            for (float edge : rightEdges) EXPECT_EQ(edge, rightEdges.front()) << words.language;
        }
    }
}

TEST_F(CreditsWidgetTest, PagesThatCannotBeReadOpenNothing) {
    EXPECT_FALSE(CreditsWidget::Create(nullptr));
    std::remove((testsupport::GlobalDataRoot() / CreditsWidget::kStatisticsFile).c_str());
    FileManager::Global().ResetDirectoryCaches();
    EXPECT_FALSE(Open(nullptr));  // no statistics page
    EXPECT_FALSE(Open("<credits><a text=\"x\"></credits>"));
    EXPECT_EQ(frame->GetListenerCount(), 0u);

    CreditsPage page;
    TiXmlDocument sizes, huge;
    std::string text = "<p size1=\"0\" size2=\"1001\" size3=\"12abc\"/>";
    ASSERT_TRUE(XmlParseText(sizes, text.data()));
    EXPECT_EQ(ReadCreditsPage(sizes, page), nullptr);
    EXPECT_EQ(page.sizes, (std::array<int32_t, 4>{48, 44, 12, 36}));
    text = "<p>";
    for (size_t i = 0; i <= CreditsPage::kMaxLines; ++i) text += "<a/>";
    ASSERT_TRUE(XmlParseText(huge, (text += "</p>").data()));
    EXPECT_NE(ReadCreditsPage(huge, page), nullptr);
}

TEST(CreditsPageTest, TheSamplePagesReadAndEveryLabelIsInBothTables) {
    const std::string tables[] = {
        testsupport::ReadWholeFile(testsupport::SourceFolder("data/source/loca/english.txt")),
        testsupport::ReadWholeFile(testsupport::SourceFolder("data/source/loca/german.txt"))};
    for (const char* file : {CreditsWidget::kCreditsFile, CreditsWidget::kStatisticsFile}) {
        std::string text = testsupport::ReadWholeFile(testsupport::SourceFolder("data/Data/Global/") / file);
        TiXmlDocument document;
        CreditsPage page;
        ASSERT_TRUE(XmlParseText(document, text.data())) << file;
        ASSERT_EQ(ReadCreditsPage(document, page), nullptr) << file;
        EXPECT_GT(page.lines.size(), 5u);
        // The credits open with the game's name as its texts give it, so a
        // game renamed there is named over them too.
        const auto heading = std::find_if(page.lines.begin(), page.lines.end(),
                                          [](const CreditsLine& line) { return line.hasLabel || !line.text.empty(); });
        const bool named = heading != page.lines.end() && !heading->hasText && heading->label == "#game_title";
        EXPECT_TRUE(named || std::string(file) != CreditsWidget::kCreditsFile);
        for (const CreditsLine& line : page.lines) {
            EXPECT_TRUE(line.hasText || line.hasLabel) << file;
            const std::string entry = "\n" + line.label.substr(line.hasLabel ? 1 : 0) + " = ";
            for (const std::string& table : tables) {
                EXPECT_TRUE(!line.hasLabel || table.find(entry) != std::string::npos) << line.label;
            }
            if (line.value != CreditsValue::kNone) {
                EXPECT_EQ(line.key.rfind("[STATS]/", 0), 0u) << line.key;
            }
        }
    }
}

int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST_F(CreditsWidgetTest, ALineWhoseFontFailsKeepsItsGapAndThePageGoesOn) {
    std::remove((testsupport::GlobalDataRoot() / kFontPath).c_str());
    FileManager::Global().ResetDirectoryCaches();
    ASSERT_TRUE(Open("<credits><a text=\"one\"/><a text=\"two\"/><a text=\"three\"/></credits>"));
    GuiWidget* keeper = AddChildAt(10000);  // keeps the page from starting again
    // The first line fails and leaves only its gap, so the next is not due
    // for another 26 updates; the page still reaches its end.
    const std::string attempt = "Font::Load - cannot read 'gui/verdana.ttf'";
    const std::string message = "CreditsWidget::EmitLine - a line could not be made (font gui/verdana.ttf)";
    testing::internal::CaptureStderr();
    frame->Update(0, 17);
    const std::string first = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Count(first, attempt), 1) << first;
    EXPECT_EQ(Count(first, message), 1) << first;
    testing::internal::CaptureStderr();
    for (int i = 0; i < 200; ++i) frame->Update(0, 17);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Count(log, attempt), 2) << log;
    EXPECT_EQ(Count(log, message), 0) << log;  // told once, at the first
    EXPECT_EQ(Lines(), std::vector<GuiWidget*>{keeper});
}

}  // namespace
