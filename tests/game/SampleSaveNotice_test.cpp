// The sample's main menu tells the player of a saved file that could not be
// read: damaged settings and profiles ("gamedata.xml") or a damaged player
// file ("data0.xml"), found at start-up or when a player is chosen. The
// notice names the file in the player's language, over the menu's board,
// once, and says what was lost; the file itself is kept as "<name>.bad",
// numbered after the first, and the notice names the copy. A
// player file holds only the game under way: losing it, or starting a new
// game, keeps the profile's volumes and statistics. The players' board marks
// the chosen player and asks before it deletes one. A save that fails
// while playing is told on a strip over whatever shows, which holds its
// whole text in either language and leaves a board's title clear. A quick
// second click acts on no board that the first one opened or uncovered.

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <utility>

#include "game/Game.h"
#include "game/screens/MenuScreen.h"
#include "gui/GuiText.h"
#include "gui/GuiWidget.h"
#include "harness/HeadlessGame.h"
#include "platform/Loca.h"
#include "platform/DataTree.h"
#include "platform/PlatformServices.h"
#include "platform/SavedFile.h"
#include "support/SourceFiles.h"
#include "support/TempFolder.h"
#include "tests/game/SampleTestSupport.h"

namespace {

using sampletest::Find;
using sampletest::SampleData;
using sampletest::kClose;
using sampletest::kContinue;
using sampletest::kFirstSlot;
using sampletest::kLanguage;
using sampletest::kNewGame;
using sampletest::kPlayers;
using sampletest::kSecondSlot;
using sampletest::kSplash;

// Two players: Ada, who plays in German and played last, and Bea.
constexpr const char* kTwoPlayers =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
    "<root><profiles>"
    "<slot0 name=\"Ada\"><options language=\"german\" /><stats /><logs /></slot0>"
    "<slot1 name=\"Bea\"><options language=\"english\" /><stats /><logs /></slot1>"
    "</profiles><global last_slot=\"0\" /><options /></root>\n";
constexpr const char* kPlayerFile = "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<root />\n";
// Cut off in the middle, as by a power cut while writing without care.
constexpr const char* kCutOff = "<root><profiles><slot0 name=\"Ada\"";
// Ada has played: her own volumes and counters, and a game under way.
constexpr const char* kPlayedProfile =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
    "<root><profiles><slot0 name=\"Ada\">"
    "<options language=\"english\" volume_music=\"0.250000\" volume_sfx=\"0.400000\" animations=\"1\" />"
    "<stats time=\"3725\" transits=\"37\" clicks=\"1234\" /><logs /></slot0></profiles>"
    "<global last_slot=\"0\" /><options volume_music=\"0.7\" volume_sfx=\"0.7\" /></root>\n";
constexpr const char* kGameUnderWay =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
    "<root LastScene=\"map\"><Data progress=\"~i_5\" /><scenes><map enter=\"1\" /></scenes></root>\n";
constexpr Vec2 kStatistics{960, 688};
// "Delete player" on the players' board, and "Delete" on its question.
constexpr Vec2 kDeletePlayer{960, 780};
constexpr Vec2 kDeleteYes{960, 780};
constexpr Vec2 kOptions{280, 1000};
constexpr Vec2 kHudMenu{104, 50};

// 700 bytes of noise, the same in every run.
std::string Noise() {
    std::mt19937 random(700);
    std::string bytes(700, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
    return bytes;
}

// Every line of text under `root`, one after the other.
std::u16string TextsUnder(halvo::GuiWidget* root) {
    std::u16string text;
    for (halvo::GuiWidget* child = root ? root->GetFirstChild() : nullptr; child; child = child->GetNextSibling()) {
        auto* lines = CastTo<halvo::GuiText>(child);
        for (size_t i = 0; lines && i < lines->GetLineCount(); ++i) text += lines->GetLineText(i) + u"|";
    }
    return text;
}

// A rectangle on the screen, in design units.
struct Area {
    float left = 0, top = 0, right = 0, bottom = 0;
    bool Holds(const Area& inner) const {
        return inner.left >= left && inner.right <= right && inner.top >= top && inner.bottom <= bottom;
    }
    bool Meets(const Area& other) const {
        return other.left < right && left < other.right && other.top < bottom && top < other.bottom;
    }
};

Area Between(Vec2 topLeft, Vec2 bottomRight) { return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y}; }

Area BoxOnScreen(const halvo::GuiWidget& widget) {
    return Between(widget.LocalToScreen({0, 0}),
                   widget.LocalToScreen({widget.ReadFloat(halvo::GuiWidget::kPropXSize),
                                         widget.ReadFloat(halvo::GuiWidget::kPropYSize)}));
}

// Where line `i` of a text is drawn: as wide as its glyphs, as high as the
// font's line (room for accents above and descenders below), placed in the
// text's box as the text aligns it; a line the box cannot hold is drawn
// past it all the same.
Area LineOnScreen(const halvo::GuiText& text, size_t i) {
    float width, height;
    text.TextExtent(width, height);
    const float step = height / static_cast<float>(text.GetLineCount());
    const float free = text.ReadFloat(halvo::GuiWidget::kPropXSize) - text.GetLineWidth(i);
    const float spare = text.ReadFloat(halvo::GuiWidget::kPropYSize) - height;
    const float shares[] = {0.0f, 0.5f, 1.0f};
    const int32_t xAlign = text.ReadInt(halvo::GuiText::kPropXAlign);
    const int32_t yAlign = text.ReadInt(halvo::GuiText::kPropYAlign);
    const float left = xAlign == halvo::GuiText::kAlignCentre ? free * 0.5f
                       : xAlign == halvo::GuiText::kAlignRight ? free
                                                                : 0.0f;
    const float top = spare * shares[std::clamp(yAlign, 0, 2)] + step * static_cast<float>(i);
    return Between(text.LocalToScreen({left, top}), text.LocalToScreen({left + text.GetLineWidth(i), top + step}));
}

// The first text on a board: its title.
halvo::GuiText* TitleOf(halvo::GuiWidget* board) {
    for (halvo::GuiWidget* child = board ? board->GetFirstChild() : nullptr; child; child = child->GetNextSibling())
        if (auto* text = CastTo<halvo::GuiText>(child)) return text;
    return nullptr;
}

class SampleSaveNoticeTest : public testing::Test {
protected:
    // Starts the sample and clicks the splash away.
    void OpenMainMenu() {
        harness.MountGameData(SampleData());
        ASSERT_TRUE(harness.Start());
        ASSERT_TRUE(harness.RunUntilFadeEnds());
        ClickAndSettle(kSplash);
    }
    // Long enough for a question or notice it brings to be read.
    void ClickAndSettle(Vec2 design) {
        harness.Click(design);
        harness.Step(testsupport::HeadlessGame::kBoardReadPasses);
    }
    // Types a new player's name on the naming board and ends it with Enter.
    void NamePlayer(const std::u16string& name) {
        for (char16_t c : name) harness.Character(c);
        harness.Key(13);
        harness.Step(30);
    }
    halvo::GuiWidget* MenuFrame() {
        auto* menu = CastTo<MenuScreen>(harness.GetGame().currentScene.Get());
        return menu ? menu->GetGuiFrame() : nullptr;
    }
    // Every line of text on the notice, one after the other; empty without one.
    std::u16string NoticeText(const char* board = "damaged_save") {
        return TextsUnder(Find(MenuFrame(), "name", board).Get());
    }
    bool Shows(const std::u16string& part) { return NoticeText().find(part) != std::u16string::npos; }
    // The same with the notice's line breaks read as spaces.
    bool Says(const std::u16string& words, const char* board = "damaged_save") {
        std::u16string text = NoticeText(board);
        std::replace(text.begin(), text.end(), u'|', u' ');
        return text.find(words) != std::u16string::npos;
    }
    // Steps until `done` holds, some seconds of game time at most.
    template <class Done>
    bool StepUntil(Done done) {
        for (int i = 0; i < testsupport::HeadlessGame::kDefaultMaxPasses && !done(); ++i) harness.Step();
        return static_cast<bool>(done());
    }
    // The sample's campaign with one change, as an author's editing leaves it.
    void WriteCampaign(const char* from, const char* to) {
        std::string campaign =
            testsupport::ReadWholeFile(testsupport::SourceFolder("data/Data/Shared/scripts/campain.cis"));
        campaign.replace(campaign.find(from), std::string(from).size(), to);
        harness.WriteScript("campain", campaign);
    }
    int NoticeCount() {
        int count = 0;
        for (halvo::GuiWidget* child = MenuFrame() ? MenuFrame()->GetFirstChild() : nullptr; child;
             child = child->GetNextSibling())
            count += Find(child, "name", "save_notice").Get() == child;
        return count;
    }
    // The two knobs of the options board, opened from the menu and closed again.
    std::pair<float, float> VolumesOnTheBoard() {
        ClickAndSettle(kOptions);
        halvo::AutoRef<halvo::GuiWidget> music = Find(MenuFrame(), "name", "music");
        halvo::AutoRef<halvo::GuiWidget> effects = Find(MenuFrame(), "name", "effects");
        std::pair<float, float> volumes{-1, -1};
        if (music && effects) volumes = {music->ReadFloat("value"), effects->ReadFloat("value")};
        ClickAndSettle(kClose);
        return volumes;
    }
    // The lines the statistics page has shown after some seconds of rising.
    std::u16string StatisticsShown() {
        ClickAndSettle(kStatistics);
        harness.Step(300);
        std::u16string text = TextsUnder(Find(MenuFrame(), "name", "statistics_page").Get());
        ClickAndSettle(kClose);
        return text;
    }

    // The slot whose button the gold frame surrounds on the players' board;
    // -1 without a frame.
    int MarkedSlot() {
        halvo::AutoRef<halvo::GuiWidget> board = Find(MenuFrame(), "name", "profiles");
        halvo::AutoRef<halvo::GuiWidget> mark = Find(board.Get(), "name", "chosen_mark");
        if (!mark) return -1;
        const float markTop = mark->LocalToScreen({0, 0}).y;
        for (halvo::GuiWidget* child = board->GetFirstChild(); child; child = child->GetNextSibling()) {
            if (!child->HasProperty("slot")) continue;
            const float top = child->LocalToScreen({0, 0}).y;
            if (markTop < top && markTop > top - 2 * kMarkGap) return child->ReadInt("slot");
        }
        return -2;
    }
    // The colour of the name on a slot's button.
    int32_t NameInk(int slot) {
        halvo::AutoRef<halvo::GuiWidget> board = Find(MenuFrame(), "name", "profiles");
        for (halvo::GuiWidget* child = board ? board->GetFirstChild() : nullptr; child; child = child->GetNextSibling())
            if (child->HasProperty("slot") && child->ReadInt("slot") == slot && child->GetFirstChild())
                return child->GetFirstChild()->ReadInt("color");
        return 0;
    }
    // The lines of the question before a player is deleted; empty without it.
    std::u16string DeleteQuestion() { return TextsUnder(Find(MenuFrame(), "name", "ask_delete").Get()); }
    // Whether the question's paragraph shows all its lines within its box.
    bool DeleteQuestionFits() {
        auto* text = CastTo<halvo::GuiText>(Find(MenuFrame(), "name", "delete_question").Get());
        return text && text->GetLineCount() > 1 &&
               text->GetLineCount() * text->GetMainFont()->GetLineHeight() <=
                   text->ReadFloat(halvo::GuiWidget::kPropYSize);
    }
    bool ProfilesShown() {
        halvo::AutoRef<halvo::GuiWidget> board = Find(MenuFrame(), "name", "profiles");
        return board && board->ReadBool(halvo::GuiWidget::kPropShow);
    }

    // Where the frame stands from the button's face, at most.
    static constexpr float kMarkGap = 10;

    // Saves fail from now on, as on a full disk: a folder stands where each
    // file's new copy is written first.
    void BlockSaves() {
        for (const char* name : {"gamedata.xml.tmp", "data0.xml.tmp"})
            std::filesystem::create_directory(harness.UserFolder() + name);
    }
    void UnblockSaves() {
        for (const char* name : {"gamedata.xml.tmp", "data0.xml.tmp"})
            std::filesystem::remove(harness.UserFolder() + name);
    }
    // The strip of a failed save over whatever shows, or null.
    halvo::AutoRef<halvo::GuiWidget> SaveFailedStrip() {
        const GameScreen* root = harness.GetGame().rootScreen.Get();
        return Find(root ? root->GetGuiFrame() : nullptr, "name", "save_failed");
    }
    std::u16string StripText() { return TextsUnder(SaveFailedStrip().Get()); }
    // The lines of the strip's texts drawn outside its dark band; "no strip"
    // without one.
    std::string StripLinesOutsideItsBand() {
        halvo::AutoRef<halvo::GuiWidget> strip = SaveFailedStrip();
        if (!strip) return "no strip";
        const Area band = BoxOnScreen(*strip);
        std::string outside;
        for (halvo::GuiWidget* child = strip->GetFirstChild(); child; child = child->GetNextSibling()) {
            auto* text = CastTo<halvo::GuiText>(child);
            for (size_t i = 0; text && i < text->GetLineCount(); ++i)
                if (!band.Holds(LineOnScreen(*text, i))) outside += Loca::WideToUtf8(text->GetLineText(i)) + "|";
        }
        return outside;
    }
    // Whether the strip's band lies over any line of the board's title.
    bool StripCoversTitleOf(const char* board) {
        halvo::AutoRef<halvo::GuiWidget> strip = SaveFailedStrip();
        halvo::GuiText* title = TitleOf(Find(MenuFrame(), "name", board).Get());
        if (!strip || !title) return true;
        const Area band = BoxOnScreen(*strip);
        for (size_t i = 0; i < title->GetLineCount(); ++i)
            if (band.Meets(LineOnScreen(*title, i))) return true;
        return false;
    }
    // The same with its line breaks read as spaces.
    std::u16string StripWords() {
        std::u16string text = StripText();
        std::replace(text.begin(), text.end(), u'|', u' ');
        return text;
    }
    // Ticks the options board's fullscreen box, which saves at once.
    void TickFullscreen() {
        ClickAndSettle(kOptions);
        halvo::AutoRef<halvo::GuiWidget> toggle = Find(MenuFrame(), "name", "fullscreen");
        ASSERT_TRUE(toggle);
        ClickAndSettle(toggle->LocalToScreen({28, 28}));
        ClickAndSettle(kClose);
    }

    testsupport::HeadlessGame harness;
};

TEST_F(SampleSaveNoticeTest, DamagedGameDataIsToldOnceOverTheProfiles) {
    harness.WriteSavedFile("gamedata.xml", kCutOff);
    harness.WriteSavedFile("gamedata.xml.bad", "an older copy");
    harness.WriteSavedFile("data0.xml", kGameUnderWay);  // without its profile now
    OpenMainMenu();
    EXPECT_EQ(harness.ReadSavedFile("gamedata.xml.bad"), "an older copy");
    EXPECT_EQ(harness.ReadSavedFile("gamedata.xml.bad2"), kCutOff);
    EXPECT_TRUE(Shows(u"A damaged save|")) << Loca::WideToUtf8(NoticeText());
    EXPECT_TRUE(Shows(u"|gamedata.xml|")) << Loca::WideToUtf8(NoticeText());
    EXPECT_TRUE(Shows(u"|gamedata.xml.bad2|")) << Loca::WideToUtf8(NoticeText());
    halvo::AutoRef<halvo::GuiWidget> profiles = Find(MenuFrame(), "name", "profiles");
    ASSERT_TRUE(profiles);

    // The menu waits under the notice: the language button takes no click.
    ClickAndSettle(kLanguage);
    EXPECT_EQ(Loca::Global().GetLanguageCode(), "english");
    ClickAndSettle(kClose);
    EXPECT_FALSE(Find(MenuFrame(), "name", "save_notice"));
    EXPECT_TRUE(profiles->ReadBool(halvo::GuiWidget::kPropShow));
    // Built again in another language, the menu does not tell it twice.
    ClickAndSettle(kLanguage);
    EXPECT_EQ(Loca::Global().GetLanguageCode(), "german");
    EXPECT_TRUE(Find(MenuFrame(), "name", "profiles"));
    EXPECT_FALSE(Find(MenuFrame(), "name", "save_notice"));
    // A new player in the first slot keeps the game found there aside.
    ClickAndSettle(kFirstSlot);
    NamePlayer(u"Cy");
    EXPECT_EQ(harness.ReadSavedFile("data0.xml.old"), kGameUnderWay);
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(SampleSaveNoticeTest, TheLastPlayersDamagedFileIsToldInTheirLanguage) {
    harness.WriteSavedFile("gamedata.xml", kTwoPlayers);
    harness.WriteSavedFile("data0.xml", kCutOff);
    OpenMainMenu();
    EXPECT_EQ(harness.ReadSavedFile("data0.xml.bad"), kCutOff);
    EXPECT_EQ(Loca::Global().GetLanguageCode(), "german");
    EXPECT_TRUE(Shows(u"Beschädigter Spielstand|")) << Loca::WideToUtf8(NoticeText());
    EXPECT_TRUE(Shows(u"|data0.xml|")) << Loca::WideToUtf8(NoticeText());
    // What was lost is told until the player closes it: Escape passes it by.
    harness.Character(27);
    harness.Step(5);
    EXPECT_EQ(NoticeCount(), 1);
    ClickAndSettle(kClose);
    EXPECT_FALSE(Find(MenuFrame(), "name", "save_notice"));

    // Still the last player: her menu, not the players, and a new game from
    // the start under the same name.
    EXPECT_FALSE(Find(MenuFrame(), "name", "profiles"));
    EXPECT_EQ(DataTree::GetCurrentSlot(), 0);
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu"));
    ClickAndSettle(kNewGame);
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[SearchScreen, HudScreen]");
    EXPECT_EQ(harness.ReadSavedFile("data0.xml.bad"), kCutOff);
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(SampleSaveNoticeTest, APlayersDamagedFileIsToldWhenThePlayerIsChosen) {
    harness.WriteSavedFile("gamedata.xml", kTwoPlayers);
    harness.WriteSavedFile("data0.xml", kPlayerFile);
    harness.WriteSavedFile("data1.xml", kCutOff);
    OpenMainMenu();
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu"));
    EXPECT_FALSE(Find(MenuFrame(), "name", "save_notice"));
    ClickAndSettle(kPlayers);
    ASSERT_TRUE(Find(MenuFrame(), "name", "profiles"));
    ClickAndSettle(kSecondSlot);
    EXPECT_EQ(harness.ReadSavedFile("data1.xml.bad"), kCutOff);
    EXPECT_TRUE(Shows(u"|data1.xml|")) << Loca::WideToUtf8(NoticeText());
    ClickAndSettle(kClose);
    EXPECT_FALSE(Find(MenuFrame(), "name", "save_notice"));
    EXPECT_EQ(DataTree::GetCurrentSlot(), 1);
    EXPECT_TRUE(Find(MenuFrame(), "name", "menu"));
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(SampleSaveNoticeTest, ADamagedPlayerFileKeepsTheProfilesSettingsAndStatistics) {
    harness.WriteSavedFile("gamedata.xml", kPlayedProfile);
    harness.WriteSavedFile("data0.xml", Noise());
    OpenMainMenu();
    EXPECT_EQ(harness.ReadSavedFile("data0.xml.bad"), Noise());
    EXPECT_TRUE(Shows(u"|data0.xml|")) << Loca::WideToUtf8(NoticeText());
    EXPECT_TRUE(Says(u"Only the game's progress in it is lost")) << Loca::WideToUtf8(NoticeText());
    EXPECT_TRUE(Says(u"settings and statistics are kept elsewhere")) << Loca::WideToUtf8(NoticeText());
    ClickAndSettle(kClose);
    ASSERT_EQ(DataTree::GetCurrentSlot(), 0);
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu"));

    // Seen: the knobs where Ada left them, her counters on the page.
    const std::pair<float, float> volumes = VolumesOnTheBoard();
    EXPECT_FLOAT_EQ(volumes.first, 0.25f);
    EXPECT_FLOAT_EQ(volumes.second, 0.4f);
    const std::u16string statistics = StatisticsShown();
    EXPECT_NE(statistics.find(u"|01:02:05|"), std::u16string::npos) << Loca::WideToUtf8(statistics);
    EXPECT_NE(statistics.find(u"|37|"), std::u16string::npos) << Loca::WideToUtf8(statistics);
    EXPECT_NE(statistics.find(u"|1234|"), std::u16string::npos) << Loca::WideToUtf8(statistics);
    // Saved: the same, and a player file to play on from the start.
    const std::string saved = harness.ReadSavedFile("gamedata.xml");
    EXPECT_NE(saved.find("volume_music=\"0.25"), std::string::npos) << saved;
    EXPECT_NE(saved.find("volume_sfx=\"0.4"), std::string::npos) << saved;
    EXPECT_NE(saved.find("time=\"3725\" transits=\"37\" clicks=\"1234\""), std::string::npos) << saved;
    EXPECT_NE(harness.ReadSavedFile("data0.xml").find("<root />"), std::string::npos);
    EXPECT_EQ(harness.ReadSavedFile("data0.xml.bad"), Noise());
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(SampleSaveNoticeTest, ANewGameOverAGameUnderWayKeepsTheVolumesAndStatistics) {
    harness.WriteSavedFile("gamedata.xml", kPlayedProfile);
    harness.WriteSavedFile("data0.xml", kGameUnderWay);
    OpenMainMenu();
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu"));
    EXPECT_FALSE(Find(MenuFrame(), "name", "save_notice"));
    ClickAndSettle(kNewGame);
    ASSERT_TRUE(Find(MenuFrame(), "name", "ask"));
    ClickAndSettle({960, 780});  // "Start again"
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[SearchScreen, HudScreen]");
    EXPECT_FALSE(harness.ReadSavedFile("data0.xml").find("progress") != std::string::npos);
    EXPECT_FLOAT_EQ(DataTree::GetFloat("[SETTINGS]/volume_music"), 0.25f);
    EXPECT_FLOAT_EQ(DataTree::GetFloat("[SETTINGS]/volume_sfx"), 0.4f);
    EXPECT_GE(DataTree::GetInt("[STATS]/time"), 3725);
    EXPECT_GE(DataTree::GetInt("[STATS]/transits"), 38);

    // Back in the menu, the board shows the volumes the player chose.
    ClickAndSettle(kHudMenu);
    halvo::AutoRef<halvo::GuiWidget> question = Find(harness.GetGame().GetHudGui(), "name", "hud_leave");
    ASSERT_TRUE(question);
    halvo::AutoRef<halvo::GuiWidget> leave = Find(question.Get(), "action", "leave");
    ASSERT_TRUE(leave);
    ClickAndSettle(sampletest::MiddleOnScreen(*leave));
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu")) << harness.ScreenTree();
    const std::pair<float, float> volumes = VolumesOnTheBoard();
    EXPECT_FLOAT_EQ(volumes.first, 0.25f);
    EXPECT_FLOAT_EQ(volumes.second, 0.4f);
    EXPECT_NE(StatisticsShown().find(u"|01:0"), std::u16string::npos);
    const std::string saved = harness.ReadSavedFile("gamedata.xml");
    EXPECT_NE(saved.find("volume_music=\"0.25"), std::string::npos) << saved;
    EXPECT_TRUE(harness.Messages().empty());
}

// The players' board frames the chosen player's button in gold, the name on
// it in gold too. "Delete player" asks first, in the player's language,
// naming the player and what goes with them; "Close" and Escape take the
// question back with nothing deleted, and only its "Delete" deletes, the
// very player it named, with their game and statistics.
TEST_F(SampleSaveNoticeTest, DeletingAPlayerAsksFirstAndNamesTheChosenOne) {
    harness.WriteSavedFile("gamedata.xml", kTwoPlayers);
    harness.WriteSavedFile("data0.xml", kGameUnderWay);
    harness.WriteSavedFile("data1.xml", kPlayerFile);
    OpenMainMenu();
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu"));  // Ada's, in German
    ClickAndSettle(kPlayers);
    ASSERT_TRUE(ProfilesShown());
    EXPECT_EQ(MarkedSlot(), 0);
    EXPECT_NE(NameInk(0), NameInk(1));

    ClickAndSettle(kDeletePlayer);
    EXPECT_FALSE(ProfilesShown());
    const std::u16string german = DeleteQuestion();
    for (const std::u16string part : {u"Spieler löschen|", u"Ada|", u"Statistik"})
        EXPECT_NE(german.find(part), std::u16string::npos) << testing::PrintToString(part);
    EXPECT_TRUE(DeleteQuestionFits());
    ClickAndSettle(kClose);
    EXPECT_TRUE(DeleteQuestion().empty());
    EXPECT_TRUE(ProfilesShown());
    ClickAndSettle(kDeletePlayer);
    harness.Character(27);
    harness.Step(30);
    EXPECT_TRUE(DeleteQuestion().empty());
    EXPECT_TRUE(ProfilesShown());
    EXPECT_TRUE(DataTree::Exists("[ROOT]/profiles/slot0/"));
    EXPECT_EQ(DataTree::GetCurrentSlot(), 0);

    // Bea chosen, in English; her question names her, and its yes deletes her.
    ClickAndSettle(kSecondSlot);
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu"));
    ClickAndSettle(kPlayers);
    EXPECT_EQ(MarkedSlot(), 1);
    ClickAndSettle(kDeletePlayer);
    const std::u16string english = DeleteQuestion();
    for (const std::u16string part : {u"Delete player|", u"Bea|", u"their game, their settings"})
        EXPECT_NE(english.find(part), std::u16string::npos) << testing::PrintToString(part);
    EXPECT_TRUE(DeleteQuestionFits());
    ClickAndSettle(kDeleteYes);
    EXPECT_TRUE(DeleteQuestion().empty());
    EXPECT_TRUE(ProfilesShown());
    EXPECT_EQ(MarkedSlot(), -1);
    EXPECT_FALSE(DataTree::Exists("[ROOT]/profiles/slot1/"));
    EXPECT_TRUE(DataTree::Exists("[ROOT]/profiles/slot0/"));
    const std::string saved = harness.ReadSavedFile("gamedata.xml");
    EXPECT_EQ(saved.find("Bea"), std::string::npos) << saved;
    EXPECT_NE(saved.find("name=\"Ada\""), std::string::npos) << saved;
    EXPECT_NE(harness.ReadSavedFile("data0.xml").find("LastScene=\"map\""), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(harness.UserFolder() + "data1.xml"));  // her game went with her
    EXPECT_TRUE(harness.Messages().empty());
}

// A delete that cannot be done whole is told, and the players' board shows
// what the disk holds. A player file that cannot be removed (a folder in
// its place) leaves the player deleted and their game on disk: the strip
// says so under "Not deleted", within its band and clear of the board's
// title, and goes when a new player in that slot is refused. Players that
// cannot be saved without the one to delete delete nothing: a board says so,
// which Escape closes; the strip does not tell it again, and one still up
// for an earlier failed save goes. Quit then saves the settings into the
// folder still refusing them: unchanged, they lose nothing at the end; a
// change saved in vain before is still told as lost.
struct FailingDelete {
    const char* name;
    Vec2 player;          // Ada plays in German, Bea in English
    const char* blocked;  // a folder stands under this name
    bool deleted;
    const char16_t* told;
    const char16_t* stripTitle = nullptr;
    bool changeLostBefore = false;
};

void PrintTo(const FailingDelete& row, std::ostream* out) { *out << row.name; }

const FailingDelete kFailingDeletes[] = {
    {"GameLeftOnDiskInGerman", kFirstSlot, "data0.xml", true, u"nicht aus dem Ordner der Spielstände entfernen",
     u"Nicht gelöscht|"},
    {"GameLeftOnDiskInEnglish", kSecondSlot, "data1.xml", true, u"game could not be removed", u"Not deleted|"},
    {"NothingDeletedInGerman", kFirstSlot, "gamedata.xml.tmp", false, u"darum wurde nichts gelöscht"},
    {"NothingDeletedInEnglish", kSecondSlot, "gamedata.xml.tmp", false, u"so nothing was deleted"},
    {"NothingDeletedUnderAStrip", kSecondSlot, "gamedata.xml.tmp", false, u"so nothing was deleted", nullptr, true},
};

class SampleSaveNoticeDeleteTest : public SampleSaveNoticeTest, public testing::WithParamInterface<FailingDelete> {};

TEST_P(SampleSaveNoticeDeleteTest, IsToldAndThePlayersAreWhatTheDiskHolds) {
    const FailingDelete& row = GetParam();
    harness.WriteSavedFile("gamedata.xml", kTwoPlayers);
    harness.WriteSavedFile("data0.xml", kPlayerFile);
    harness.WriteSavedFile("data1.xml", kPlayerFile);
    OpenMainMenu();
    ClickAndSettle(kPlayers);
    ClickAndSettle(row.player);
    ClickAndSettle(kPlayers);
    const int32_t slot = DataTree::GetCurrentSlot();
    std::filesystem::remove(harness.UserFolder() + row.blocked);
    std::filesystem::create_directory(harness.UserFolder() + row.blocked);
    testing::internal::CaptureStderr();
    if (row.changeLostBefore) {
        DataTree::SetFloat("[SETTINGS]/volume_sfx", 0.3f);
        DataTree::SaveGameData();
        harness.Step(2);
    }
    const bool stripUp = SaveFailedStrip().Get() != nullptr;
    ClickAndSettle(kDeletePlayer);
    ClickAndSettle(kDeleteYes);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(stripUp, row.changeLostBefore);
    ASSERT_TRUE(ProfilesShown());
    EXPECT_EQ(DataTree::Exists(("[ROOT]/profiles/slot" + std::to_string(slot) + "/").c_str()), !row.deleted);
    EXPECT_EQ(MarkedSlot(), row.deleted ? -1 : slot);
    if (row.deleted) {
        EXPECT_EQ(NoticeCount(), 0);
        EXPECT_NE(StripWords().find(row.told), std::u16string::npos) << Loca::WideToUtf8(StripWords());
        EXPECT_EQ(StripLinesOutsideItsBand(), "");
        EXPECT_FALSE(StripCoversTitleOf("profiles"));
        EXPECT_EQ(StripText().rfind(row.stripTitle, 0), 0u) << Loca::WideToUtf8(StripText());
        std::filesystem::create_directory(harness.UserFolder() + row.blocked + ".tmp");
        ClickAndSettle(row.player);
        testing::internal::CaptureStderr();
        NamePlayer(u"Cy");
        testing::internal::GetCapturedStderr();
        EXPECT_TRUE(Find(MenuFrame(), "name", "not_saved"));
        EXPECT_FALSE(SaveFailedStrip()) << "it promises what the board refused";
    } else {
        std::u16string board = NoticeText("not_deleted");
        std::replace(board.begin(), board.end(), u'|', u' ');
        EXPECT_NE(board.find(row.told), std::u16string::npos) << Loca::WideToUtf8(board);
        EXPECT_FALSE(SaveFailedStrip()) << "told twice, or left over the board";
        harness.Character(27);
        harness.Step(5);
        EXPECT_EQ(NoticeCount(), 0);
        ClickAndSettle(kClose);
        testing::internal::CaptureStderr();
        ClickAndSettle(kClose);  // Quit
        testing::internal::GetCapturedStderr();
        ASSERT_TRUE(harness.GetGame().quitRequested);
        EXPECT_EQ(PlatformServiceHooks().unsavedFiles(), row.changeLostBefore ? "'gamedata.xml'" : "");
    }
    EXPECT_TRUE(harness.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Deletes, SampleSaveNoticeDeleteTest, testing::ValuesIn(kFailingDeletes),
                         [](const testing::TestParamInfo<FailingDelete>& info) { return info.param.name; });

// The game data is read first and told first; the player file it led to is
// told only once that notice is closed, over the profiles it could not keep.
TEST_F(SampleSaveNoticeTest, TwoDamagedFilesAreToldOneAfterTheOtherGameDataFirst) {
    harness.WriteSavedFile("gamedata.xml", kCutOff);
    harness.WriteSavedFile("data0.xml", Noise());
    OpenMainMenu();
    EXPECT_EQ(harness.ReadSavedFile("gamedata.xml.bad"), kCutOff);
    EXPECT_EQ(harness.ReadSavedFile("data0.xml.bad"), Noise());
    EXPECT_EQ(NoticeCount(), 1);
    EXPECT_TRUE(Shows(u"|gamedata.xml|")) << Loca::WideToUtf8(NoticeText());
    EXPECT_TRUE(Says(u"The profiles, with their settings and statistics, are lost"))
        << Loca::WideToUtf8(NoticeText());

    ClickAndSettle(kClose);
    EXPECT_EQ(NoticeCount(), 1);
    EXPECT_TRUE(Shows(u"|data0.xml|")) << Loca::WideToUtf8(NoticeText());
    EXPECT_TRUE(Says(u"Only the game's progress")) << Loca::WideToUtf8(NoticeText());

    ClickAndSettle(kClose);
    EXPECT_EQ(NoticeCount(), 0);
    EXPECT_TRUE(Find(MenuFrame(), "name", "profiles"));
    // A new player in the first slot writes a new file; the damaged one stays aside.
    ClickAndSettle(kFirstSlot);
    ASSERT_TRUE(Find(MenuFrame(), "name", "naming"));
    NamePlayer(u"Cy");
    EXPECT_EQ(DataTree::GetCurrentSlot(), 0);
    EXPECT_EQ(NoticeCount(), 0);
    EXPECT_EQ(harness.ReadSavedFile("data0.xml.bad"), Noise());
    EXPECT_TRUE(harness.Messages().empty());
}

// A damaged file that cannot be moved aside (every name for a copy taken)
// is told and stays as it is; a player or game that cannot be written is
// not made, and the player is told so.
TEST_F(SampleSaveNoticeTest, WhatCannotBeKeptOrWrittenIsToldAndNothingIsWrittenOver) {
    harness.WriteSavedFile("gamedata.xml", kPlayedProfile);
    harness.WriteSavedFile("data0.xml", kCutOff);
    for (int n = 1; n <= SavedFile::kMaxCopies; ++n)
        harness.WriteSavedFile("data0.xml.bad" + (n > 1 ? std::to_string(n) : std::string()), "older");
    std::filesystem::create_directory(harness.UserFolder() + "data1.xml.tmp");
    OpenMainMenu();
    EXPECT_TRUE(Says(u"data0.xml It could not be moved aside")) << Loca::WideToUtf8(NoticeText());
    ClickAndSettle(kClose);
    ClickAndSettle(kFirstSlot);  // Ada, whose file stays damaged
    EXPECT_TRUE(Find(MenuFrame(), "name", "not_saved"));
    EXPECT_EQ(harness.ReadSavedFile("data0.xml"), kCutOff);

    ClickAndSettle(kClose);
    ClickAndSettle(kSecondSlot);
    NamePlayer(u"Cy");
    EXPECT_TRUE(Find(MenuFrame(), "name", "not_saved"));
    EXPECT_FALSE(DataTree::Exists("[ROOT]/profiles/slot1/"));
    EXPECT_TRUE(harness.Messages().empty());
}

// A save that fails while playing is told on a strip over whatever shows,
// in the player's language, once until a save succeeds again; it takes no
// click and goes by itself, and the game goes on: in the menu's options, at
// a scene change.
TEST_F(SampleSaveNoticeTest, AFailedSaveIsToldOnceOverWhateverShowsAndPlayGoesOn) {
    harness.WriteSavedFile("gamedata.xml", kPlayedProfile);
    harness.WriteSavedFile("data0.xml", kPlayerFile);
    OpenMainMenu();
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu"));
    const std::string saved = harness.ReadSavedFile("gamedata.xml");
    BlockSaves();
    TickFullscreen();
    EXPECT_EQ(harness.ReadSavedFile("gamedata.xml"), saved);
    ASSERT_TRUE(SaveFailedStrip());
    EXPECT_NE(StripText().find(u"Not saved|"), std::u16string::npos) << Loca::WideToUtf8(StripText());
    EXPECT_NE(StripText().find(u"Play goes on"), std::u16string::npos) << Loca::WideToUtf8(StripText());
    // Beside the strip the menu still answers, and the strip goes by itself.
    ClickAndSettle(kStatistics);
    EXPECT_TRUE(Find(MenuFrame(), "name", "statistics")->ReadBool(halvo::GuiWidget::kPropShow));
    ClickAndSettle(kClose);
    harness.Step(600);
    EXPECT_FALSE(SaveFailedStrip());
    // The same failure again is not told again.
    TickFullscreen();
    harness.Step(2);
    EXPECT_FALSE(SaveFailedStrip());

    // A good save (the new game's file) ends the run. The garden greets the
    // new game on a veil that a click anywhere takes away; a failed save
    // told over it leaves that click to the veil, even on the strip.
    UnblockSaves();
    ClickAndSettle(kNewGame);
    ASSERT_EQ(harness.ScreenTree(), "GameScreen[SearchScreen, HudScreen]");
    EXPECT_FALSE(SaveFailedStrip());
    ASSERT_TRUE(Find(harness.GetGame().GetHudGui(), "name", "hud_hold"));
    BlockSaves();
    EXPECT_FALSE(DataTree::SavePlayer());
    harness.Step(2);
    halvo::AutoRef<halvo::GuiWidget> strip = SaveFailedStrip();
    ASSERT_TRUE(strip);
    EXPECT_FALSE(strip->ReadBool(halvo::GuiWidget::kPropPick, true));
    ClickAndSettle(sampletest::MiddleOnScreen(*strip));
    EXPECT_FALSE(Find(harness.GetGame().GetHudGui(), "name", "hud_hold"));
    EXPECT_EQ(SaveFailedStrip().Get(), strip.Get());

    // A good save ends that run too; a failed scene change after it is told
    // again, over the next scene, which goes on.
    harness.Step(600);
    UnblockSaves();
    EXPECT_TRUE(DataTree::SavePlayer());
    BlockSaves();
    harness.GetGame().Transit("map", nullptr);
    harness.Step(2);
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[MapScreen, HudScreen]");
    ASSERT_TRUE(SaveFailedStrip());
    EXPECT_NE(StripText().find(u"Not saved|"), std::u16string::npos) << Loca::WideToUtf8(StripText());
    EXPECT_TRUE(harness.Messages().empty());
}

// A save refused for the game's bounds (a file grown past them behind the
// setters' back) is told as what it is, not as a full folder: on the strip,
// and on the board of a new player the game data cannot name.
TEST_F(SampleSaveNoticeTest, ASaveRefusedForTheBoundsIsToldAsOne) {
    harness.WriteSavedFile("gamedata.xml", kPlayedProfile);
    harness.WriteSavedFile("data0.xml", kPlayerFile);
    OpenMainMenu();
    DataTree::Resolve("[ROOT]/global/", false)->SetAttribute("note", std::string(5 << 20, 'x').c_str());
    TickFullscreen();
    ASSERT_TRUE(SaveFailedStrip());
    EXPECT_NE(StripWords().find(u"more than the game can read back"), std::u16string::npos)
        << Loca::WideToUtf8(StripWords());
    EXPECT_EQ(StripWords().find(u"write-protected"), std::u16string::npos);

    ClickAndSettle(kPlayers);
    ClickAndSettle(kSecondSlot);
    NamePlayer(u"Cy");
    std::u16string board = NoticeText("not_saved");
    std::replace(board.begin(), board.end(), u'|', u' ');
    EXPECT_NE(board.find(u"more than the game can read back"), std::u16string::npos) << Loca::WideToUtf8(board);
    EXPECT_EQ(board.find(u"write-protected"), std::u16string::npos) << Loca::WideToUtf8(board);
    EXPECT_FALSE(DataTree::Exists("[ROOT]/profiles/slot1/"));
    EXPECT_TRUE(harness.Messages().empty());
}

// Without a folder to save in, the strip says why at the first save (the
// language chosen at the start) rather than blaming a folder: without HOME
// there is none, and with a file standing where it would be made it could
// not be made. A new player is still made and plays, unsaved, and goes on
// from the menu.
struct WithoutAFolder {
    const char* name;
    bool fileInItsWay;
    const char16_t* told;
    const char16_t* untrue;
};

void PrintTo(const WithoutAFolder& row, std::ostream* out) { *out << row.name; }

const WithoutAFolder kWithoutAFolder[] = {
    {"NoHome", false, u"no folder to save in", u"could not make"},
    {"FolderNotMade", true, u"could not make its folder of saved games", u"HOME is not set"},
};

class SampleSaveNoticeFolderTest : public SampleSaveNoticeTest, public testing::WithParamInterface<WithoutAFolder> {};

TEST_P(SampleSaveNoticeFolderTest, TheStripSaysWhyThereIsNone) {
    const WithoutAFolder& row = GetParam();
    testsupport::TempFolder documents;
    documents.WriteFile("Tavrin", "");
    if (row.fileInItsWay) harness.UseDocumentsFolder(documents.Path());
    else harness.UseNoUserFolder();
    OpenMainMenu();
    ASSERT_TRUE(SaveFailedStrip());
    EXPECT_NE(StripWords().find(row.told), std::u16string::npos) << Loca::WideToUtf8(StripWords());
    EXPECT_EQ(StripWords().find(row.untrue), std::u16string::npos) << Loca::WideToUtf8(StripWords());
    EXPECT_EQ(StripWords().find(u"could not write to the folder"), std::u16string::npos);

    ClickAndSettle(kFirstSlot);
    NamePlayer(u"Ada");
    EXPECT_FALSE(Find(MenuFrame(), "name", "not_saved"));
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu"));
    ClickAndSettle(kNewGame);
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[SearchScreen, HudScreen]");
    ClickAndSettle({960, 140});  // the greeting
    ClickAndSettle(kHudMenu);
    const halvo::AutoRef<halvo::GuiWidget> leave = Find(harness.GetGame().GetHudGui(), "action", "leave");
    ASSERT_TRUE(leave) << "no way back to the menu: " << harness.ScreenTree();
    ClickAndSettle(sampletest::MiddleOnScreen(*leave));
    ClickAndSettle(kContinue);
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[SearchScreen, HudScreen]");
}

INSTANTIATE_TEST_SUITE_P(Folders, SampleSaveNoticeFolderTest, testing::ValuesIn(kWithoutAFolder),
                         [](const testing::TestParamInfo<WithoutAFolder>& info) { return info.param.name; });

TEST_F(SampleSaveNoticeTest, AFailedSaveIsToldInThePlayersLanguage) {
    harness.WriteSavedFile("gamedata.xml", kTwoPlayers);
    harness.WriteSavedFile("data0.xml", kPlayerFile);
    OpenMainMenu();
    ASSERT_EQ(Loca::Global().GetLanguageCode(), "german");
    BlockSaves();
    TickFullscreen();
    EXPECT_NE(StripText().find(u"Nicht gespeichert|"), std::u16string::npos) << Loca::WideToUtf8(StripText());
}

// A board of the menu that opens with the strip: the strip holds all its
// lines in its band, in either language, and the board's title stays clear
// of it.
struct StripOverBoard {
    const char* name;
    const char* profiles;    // gamedata.xml
    const char* playerFile;  // data0.xml
    Vec2 click;              // what opens the board; nothing when it opens at the start
    const char* board;
    const char16_t* stripTitle;
};

void PrintTo(const StripOverBoard& row, std::ostream* out) { *out << row.name; }

constexpr const char* kSceneGone = "<?xml version=\"1.0\" ?>\n<root LastScene=\"garden_gone\" />\n";
constexpr Vec2 kNoClick{-1, -1};

const StripOverBoard kStripOverBoards[] = {
    {"DamagedSaveInEnglish", kPlayedProfile, kCutOff, kNoClick, "damaged_save", u"Not saved|"},
    {"DamagedSaveInGerman", kTwoPlayers, kCutOff, kNoClick, "damaged_save", u"Nicht gespeichert|"},
    {"PlayersInEnglish", kPlayedProfile, kPlayerFile, kPlayers, "profiles", u"Not saved|"},
    {"PlayersInGerman", kTwoPlayers, kPlayerFile, kPlayers, "profiles", u"Nicht gespeichert|"},
    {"CannotContinueInEnglish", kPlayedProfile, kSceneGone, kContinue, "cannot_continue", u"Not saved|"},
    {"CannotContinueInGerman", kTwoPlayers, kSceneGone, kContinue, "cannot_continue", u"Nicht gespeichert|"},
};

class SampleSaveNoticeStripTest : public SampleSaveNoticeTest, public testing::WithParamInterface<StripOverBoard> {};

TEST_P(SampleSaveNoticeStripTest, HoldsItsTextAndLeavesTheBoardsTitleClear) {
    const StripOverBoard& row = GetParam();
    harness.WriteSavedFile("gamedata.xml", row.profiles);
    harness.WriteSavedFile("data0.xml", row.playerFile);
    OpenMainMenu();
    testing::internal::CaptureStderr();
    if (row.click.x >= 0) ClickAndSettle(row.click);
    BlockSaves();
    DataTree::SetInt("[ROOT]/global/resx", 1920);  // a change to lose
    EXPECT_FALSE(DataTree::SaveGameData());
    harness.Step(2);
    testing::internal::GetCapturedStderr();
    ASSERT_TRUE(Find(MenuFrame(), "name", row.board)) << harness.ScreenTree();
    const std::u16string told = StripText();
    ASSERT_EQ(told.rfind(row.stripTitle, 0), 0u) << Loca::WideToUtf8(told);
    EXPECT_GE(std::count(told.begin(), told.end(), u'|'), 2) << "no text below the title";
    EXPECT_EQ(StripLinesOutsideItsBand(), "");
    EXPECT_FALSE(StripCoversTitleOf(row.board));
}

INSTANTIATE_TEST_SUITE_P(Boards, SampleSaveNoticeStripTest, testing::ValuesIn(kStripOverBoards),
                         [](const testing::TestParamInfo<StripOverBoard>& info) { return info.param.name; });

// A new game that cannot be written is told by the menu's own notice, once:
// the game under way stays, and no new game starts without its file.
TEST_F(SampleSaveNoticeTest, ANewGameThatCannotBeWrittenIsToldAndDoesNotStart) {
    harness.WriteSavedFile("gamedata.xml", kPlayedProfile);
    harness.WriteSavedFile("data0.xml", kPlayerFile);
    OpenMainMenu();
    BlockSaves();
    ClickAndSettle(kNewGame);
    EXPECT_TRUE(Find(MenuFrame(), "name", "not_saved"));
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[MenuScreen]");
    EXPECT_EQ(harness.ReadSavedFile("data0.xml"), kPlayerFile);
    EXPECT_FALSE(SaveFailedStrip()) << "told twice";
    harness.Character(27);  // it only tells: Escape closes it
    harness.Step(5);
    EXPECT_EQ(NoticeCount(), 0);
    EXPECT_TRUE(harness.Messages().empty());
}

// A "Start again" the player's file refuses is told on the menu's board and
// costs nothing: it is no loss at the end, and the game under way goes on.
// Continuing it, the scene change's save of that file refused for real is
// told on the strip, and at the end.
TEST_F(SampleSaveNoticeTest, ARefusedStartAgainHidesNoLaterFailure) {
    harness.WriteSavedFile("gamedata.xml", kPlayedProfile);
    harness.WriteSavedFile("data0.xml", kGameUnderWay);
    OpenMainMenu();
    std::filesystem::create_directory(harness.UserFolder() + "data0.xml.tmp");
    ClickAndSettle(kNewGame);
    testing::internal::CaptureStderr();
    ClickAndSettle({960, 780});  // "Start again"
    testing::internal::GetCapturedStderr();
    ASSERT_TRUE(Find(MenuFrame(), "name", "not_saved"));
    EXPECT_EQ(PlatformServiceHooks().unsavedFiles(), "");
    harness.Character(27);
    harness.Step(5);
    ClickAndSettle(kContinue);
    ASSERT_EQ(harness.ScreenTree(), "GameScreen[MapScreen, HudScreen]");
    testing::internal::CaptureStderr();
    harness.GetGame().Transit("garden", nullptr);
    harness.Step(2);
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(harness.ScreenTree(), "GameScreen[SearchScreen, HudScreen]");
    EXPECT_TRUE(SaveFailedStrip());
    EXPECT_EQ(PlatformServiceHooks().unsavedFiles(), "'data0.xml'");
    EXPECT_EQ(harness.ReadSavedFile("data0.xml"), kGameUnderWay);
    EXPECT_TRUE(harness.Messages().empty());
}

// What the notice says, true of every cause.
constexpr const char16_t* kDidNotReach = u"it did not reach its first scene. Any game under way is kept";

// A new game the campaign cannot start (it lost its NewGame, its first
// scene is misspelt, NewGame ends without a scene or goes back to the menu,
// also after a wait, and a thread it started does not run on after that),
// or that the player leaves with Escape on the black screen of a NewGame
// that waits for ever, costs nothing of the game under way and counts no
// scene change nor time: the notice shows, in the player's language, true
// of every cause; the files keep the game, Continue goes on with it, and
// the author reads the cause.
struct CampaignChange {
    const char* name;
    const char* from;   // in the sample's campaign
    const char* to;
    const char* cause;  // on standard error
    const char* profiles = kPlayedProfile;
    const char16_t* kept = kDidNotReach;
    bool escape = false;  // the player presses Escape, twice, once the menu is gone
    bool escapeOnNotice = false;  // the second Escape once the notice came, before it could be read
};

void PrintTo(const CampaignChange& row, std::ostream* out) { *out << row.name; }

constexpr const char* kFirstSceneMisspelt = "its first scene 'gardn' did not load";
constexpr const char* kNoScene = "'NewGame' of module 'campain' ended without loading a scene";
constexpr const char* kWentToTheMenu = "'NewGame' went back to the main menu before loading a scene";
constexpr const char* kLeftWithEscape = "the player left with Escape before its first scene loaded";
constexpr const char* kFirstTransit = "Transit(kFirstScene);";
// NewGame's body ends, and a function the sample lacks takes the rest of it.
#define INTRO_AFTER(newGameBody) newGameBody " }\nfunction void Intro() { Sleep(0.2); Transit(kFirstScene);"

const CampaignChange kCampaignsThatCannotStart[] = {
    {"WithoutNewGame", "void NewGame()", "void OldGame()", "module 'campain' has no function 'NewGame'"},
    {"MisspeltFirstScene", "kFirstScene = \"garden\"", "kFirstScene = \"gardn\"", kFirstSceneMisspelt},
    {"NewGameWithoutScene", kFirstTransit, "", kNoScene},
    {"NewGameThatOnlySleeps", kFirstTransit, "Sleep(1.0);", kNoScene},
    {"MisspeltFirstSceneAfterAFade", kFirstTransit, "FadeOut(); Transit(\"gardn\");", kFirstSceneMisspelt},
    {"MisspeltFirstSceneAfterASleepInGerman", kFirstTransit, "Sleep(1.0); Transit(\"gardn\");",
     kFirstSceneMisspelt, kTwoPlayers, u"Szene nicht erreicht. Ein laufendes Spiel bleibt erhalten"},
    {"GameOverAtOnce", kFirstTransit, "GameOver();", kWentToTheMenu},
    {"GameOverAfterASleep", kFirstTransit, "Sleep(0.5); GameOver();", kWentToTheMenu},
    {"MainMenuAtOnce", kFirstTransit, "ShowMainMenu();", kWentToTheMenu},
    {"GameOverWithAThreadLeftToTransit", kFirstTransit, INTRO_AFTER("ThreadCreate(Intro); GameOver();"),
     kWentToTheMenu},
    {"EscapeWhileAThreadWaitsForEver", kFirstTransit,
     "ThreadCreate(Loop); }\nfunction void Loop() { while (true) Sleep(1.0);", kLeftWithEscape, kPlayedProfile,
     kDidNotReach, true},
    {"EscapeTwiceWhileAThreadWaitsForEver", kFirstTransit,
     "ThreadCreate(Loop); }\nfunction void Loop() { while (true) Sleep(1.0);", kLeftWithEscape, kPlayedProfile,
     kDidNotReach, true, true},
};

class SampleCannotStartTest : public SampleSaveNoticeTest, public testing::WithParamInterface<CampaignChange> {};

TEST_P(SampleCannotStartTest, ANewGameThatCannotStartKeepsTheGameUnderWay) {
    const CampaignChange& row = GetParam();
    WriteCampaign(row.from, row.to);
    harness.WriteSavedFile("gamedata.xml", row.profiles);
    harness.WriteSavedFile("data0.xml", kGameUnderWay);
    OpenMainMenu();
    const int transits = DataTree::GetInt("[STATS]/transits");
    const std::string profiles = harness.ReadSavedFile("gamedata.xml");
    ClickAndSettle(kNewGame);
    testing::internal::CaptureStderr();
    ClickAndSettle({960, 780});  // "Start again"
    // The second, pressed on the black screen too or as the notice comes,
    // closes no notice unseen.
    const auto notice = [&] { return Find(MenuFrame(), "name", "cannot_start"); };
    for (int i = 0; row.escape && i < 2; ++i) {
        if (i == 1 && row.escapeOnNotice) EXPECT_TRUE(StepUntil(notice) && harness.Step(2));
        harness.Character(27);
    }
    if (row.escapeOnNotice) EXPECT_TRUE(harness.Step(2) && notice()) << "closed unread";
    EXPECT_TRUE(StepUntil(notice)) << harness.ScreenTree();
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find(std::string("a new game cannot start: ") + row.cause + "\n"), std::string::npos) << told;
    EXPECT_TRUE(Says(row.kept, "cannot_start")) << Loca::WideToUtf8(NoticeText("cannot_start"));
    EXPECT_EQ(DataTree::GetInt("[STATS]/transits"), transits);
    EXPECT_EQ(harness.ReadSavedFile("data0.xml"), kGameUnderWay);
    EXPECT_EQ(harness.ReadSavedFile("gamedata.xml"), profiles);
    harness.Step(testsupport::HeadlessGame::kBoardReadPasses);
    harness.Character(27);
    harness.Step(5);
    ClickAndSettle(kContinue);
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[MapScreen, HudScreen]");
}

INSTANTIATE_TEST_SUITE_P(Campaigns, SampleCannotStartTest, testing::ValuesIn(kCampaignsThatCannotStart),
                         [](const testing::TestParamInfo<CampaignChange>& info) { return info.param.name; });

// A NewGame that waits before its first scene begins the game with it, as
// the file and the count of scene changes then say.
TEST_F(SampleSaveNoticeTest, ANewGameThatWaitsBeginsWithItsFirstScene) {
    WriteCampaign(kFirstTransit, "FadeOut(); Transit(kFirstScene);");
    harness.WriteSavedFile("gamedata.xml", kPlayedProfile);
    harness.WriteSavedFile("data0.xml", kGameUnderWay);
    OpenMainMenu();
    ClickAndSettle(kNewGame);
    ClickAndSettle({960, 780});  // "Start again"
    EXPECT_TRUE(StepUntil([&] { return harness.ScreenTree() == "GameScreen[SearchScreen, HudScreen]"; }))
        << harness.ScreenTree();
    EXPECT_NE(harness.ReadSavedFile("data0.xml").find("LastScene=\"garden\""), std::string::npos);
    EXPECT_EQ(DataTree::GetInt("[STATS]/transits"), 38);
    EXPECT_TRUE(harness.Messages().empty());
}

// A NewGame that leaves its first scene to a thread it started begins the
// game with it, a clean one: nothing of the game under way is left.
TEST_F(SampleSaveNoticeTest, ANewGameStartedOnAThreadOfItsOwnBeginsClean) {
    WriteCampaign(kFirstTransit, INTRO_AFTER("ThreadCreate(Intro);"));
    harness.WriteSavedFile("gamedata.xml", kPlayedProfile);
    harness.WriteSavedFile("data0.xml", kGameUnderWay);
    OpenMainMenu();
    ClickAndSettle(kNewGame);
    testing::internal::CaptureStderr();
    ClickAndSettle({960, 780});  // "Start again"
    EXPECT_TRUE(StepUntil([&] { return harness.ScreenTree() == "GameScreen[SearchScreen, HudScreen]"; }))
        << harness.ScreenTree();
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("cannot start"), std::string::npos);
    const std::string file = harness.ReadSavedFile("data0.xml");
    EXPECT_NE(file.find("LastScene=\"garden\""), std::string::npos);
    EXPECT_EQ(file.find("~i_5"), std::string::npos) << file;
}

// Continue to a place that is not in the game's data tells the player that
// the saved game cannot go on, over the menu, and offers a new game, which
// keeps the settings; the reason stays on the error output.
TEST_F(SampleSaveNoticeTest, ASavedGameThatCannotGoOnIsToldWithANewGameOffered) {
    harness.WriteSavedFile("gamedata.xml", kPlayedProfile);
    harness.WriteSavedFile("data0.xml", "<?xml version=\"1.0\" ?>\n<root LastScene=\"garden_gone\" />\n");
    OpenMainMenu();
    ASSERT_TRUE(Find(MenuFrame(), "name", "menu"));
    testing::internal::CaptureStderr();
    ClickAndSettle(kContinue);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("unable to load scene 'garden_gone'"), std::string::npos) << said;
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[MenuScreen]");
    ASSERT_TRUE(Find(MenuFrame(), "name", "cannot_continue"));
    EXPECT_NE(NoticeText("cannot_continue").find(u"Cannot continue|"), std::u16string::npos)
        << Loca::WideToUtf8(NoticeText("cannot_continue"));
    // Escape closes it as its Close does: the menu again, the saved game as
    // it was, and Continue tells it again.
    harness.Character(27);
    harness.Step(5);
    EXPECT_EQ(NoticeCount(), 0);
    halvo::AutoRef<halvo::GuiWidget> menu = Find(MenuFrame(), "name", "menu");
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->ReadBool(halvo::GuiWidget::kPropShow));
    EXPECT_NE(harness.ReadSavedFile("data0.xml").find("garden_gone"), std::string::npos);
    testing::internal::CaptureStderr();
    ClickAndSettle(kContinue);
    testing::internal::GetCapturedStderr();
    ASSERT_TRUE(Find(MenuFrame(), "name", "cannot_continue"));

    ClickAndSettle({960, 780});  // "Start again"
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[SearchScreen, HudScreen]");
    EXPECT_EQ(harness.ReadSavedFile("data0.xml").find("garden_gone"), std::string::npos);
    EXPECT_FLOAT_EQ(DataTree::GetFloat("[SETTINGS]/volume_music"), 0.25f);
    EXPECT_TRUE(harness.Messages().empty());
}

// A quick second click (a third, on a triple click) lands where the first
// one opened or uncovered a board: on the menu's Quit, the question's
// Delete, a player's button, New game, the language button. The first click
// acts at once; what follows within a double-click's time of the last press
// on the same spot acts on nothing the player has not seen, judged by when
// the player pressed, however the frames that take the presses fall: the
// game may stand still between them or build a board slowly, or take the
// first press so late that the board it opens comes on screen only after
// the second press was made. A hammering reaches nothing new until the
// player pauses; the next click, on the spot, then does what it says.
enum class Harm { kQuit, kDelete, kChoose, kStart, kSwitch };

struct QuickClicks {
    const char* name;
    const char* profiles;    // gamedata.xml
    const char* playerFile;  // data0.xml
    const char* blocked;     // a folder stands under this name; null for none
    Vec2 way[3];             // the clicks that lead to the board; none: the splash
    Vec2 spot;
    int clicks;
    int gapMs;
    const char* shown;  // the board the first click leaves shown
    Harm harm;          // what must not happen
    int stallMs = 0;    // the game stands still this long after the first press
    Vec2 next{-1, -1};  // after a pause, a click here opens `nextShown`
    const char* nextShown = nullptr;
    int lateMs = 0;          // the first press is taken this long after it was made
    bool thenActs = false;   // after a pause, a click on the spot does the harm, as the player asks
};

void PrintTo(const QuickClicks& row, std::ostream* out) { *out << row.name; }

// Ada, who played last, and three more players: Dee's button on the
// players' board lies under the menu's "Players", Cy's over "New game".
constexpr const char* kFourPlayers =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<root><profiles>"
    "<slot0 name=\"Ada\"><options language=\"english\" /><stats /><logs /></slot0>"
    "<slot1 name=\"Bea\"><options language=\"english\" /><stats /><logs /></slot1>"
    "<slot2 name=\"Cy\"><options language=\"english\" /><stats /><logs /></slot2>"
    "<slot3 name=\"Dee\"><options language=\"english\" /><stats /><logs /></slot3>"
    "</profiles><global last_slot=\"0\" /><options /></root>\n";
constexpr Vec2 kAbout{960, 780};
constexpr Vec2 kThirdSlot{960, 524};

const QuickClicks kQuickClicks[] = {
    {"DeletePlayerThenDelete", kTwoPlayers, kPlayerFile, nullptr, {kSplash, kPlayers, kNoClick}, kDeletePlayer, 2, 120,
     "ask_delete", Harm::kDelete},
    {"DeleteAcrossAStall", kTwoPlayers, kPlayerFile, nullptr, {kSplash, kPlayers, kNoClick}, kDeletePlayer, 2, 150,
     "ask_delete", Harm::kDelete, 700},
    {"DeleteWhileTheQuestionBuildsSlowly", kTwoPlayers, kPlayerFile, nullptr, {kSplash, kPlayers, kNoClick},
     kDeletePlayer, 2, 450, "ask_delete", Harm::kDelete, 600},
    {"DeletePlayerSlowDoubleClick", kTwoPlayers, kPlayerFile, nullptr, {kSplash, kPlayers, kNoClick}, kDeletePlayer, 2,
     600, "ask_delete", Harm::kDelete, 0, kNoClick, nullptr, 0, true},
    {"DeletePlayerTripleClick", kTwoPlayers, kPlayerFile, nullptr, {kSplash, kPlayers, kNoClick}, kDeletePlayer, 3,
     300, "ask_delete", Harm::kDelete},
    {"AboutCloseThenQuit", kTwoPlayers, kPlayerFile, nullptr, {kSplash, kAbout, kNoClick}, kClose, 2, 30, "menu",
     Harm::kQuit, 0, kNoClick, nullptr, 0, true},
    {"AboutCloseHammeredThenQuit", kTwoPlayers, kPlayerFile, nullptr, {kSplash, kAbout, kNoClick}, kClose, 30, 100,
     "menu", Harm::kQuit, 0, kNoClick, nullptr, 0, true},
    {"AboutCloseTakenLateThenQuit", kTwoPlayers, kPlayerFile, nullptr, {kSplash, kAbout, kNoClick}, kClose, 2, 550,
     "menu", Harm::kQuit, 0, kNoClick, nullptr, 650},
    {"DeleteQuestionDrawnAfterTheSecondPress", kTwoPlayers, kPlayerFile, nullptr, {kSplash, kPlayers, kNoClick},
     kDeletePlayer, 2, 600, "ask_delete", Harm::kDelete, 0, kNoClick, nullptr, 700},
    {"StatisticsCloseThenQuit", kTwoPlayers, kPlayerFile, nullptr, {kSplash, kStatistics, kNoClick}, kClose, 2, 400,
     "menu", Harm::kQuit},
    {"OptionsCloseThenQuit", kTwoPlayers, kPlayerFile, nullptr, {kSplash, kOptions, kNoClick}, kClose, 2, 120, "menu",
     Harm::kQuit},
    {"PlayersCloseThenQuit", kTwoPlayers, kPlayerFile, nullptr, {kSplash, kPlayers, kNoClick}, kClose, 2, 30, "menu",
     Harm::kQuit},
    {"NewGameQuestionCloseThenQuit", kTwoPlayers, kGameUnderWay, nullptr, {kSplash, kNewGame, kNoClick}, kClose, 2,
     400, "menu", Harm::kQuit},
    {"DamagedFileCloseThenQuit", kTwoPlayers, kCutOff, nullptr, {kSplash, kNoClick, kNoClick}, kClose, 2, 120, "menu",
     Harm::kQuit},
    {"CannotContinueCloseThenQuit", kPlayedProfile, kSceneGone, nullptr, {kSplash, kContinue, kNoClick}, kClose, 2,
     30, "menu", Harm::kQuit},
    {"NotSavedCloseThenQuit", kPlayedProfile, kPlayerFile, "data0.xml.tmp", {kSplash, kNewGame, kNoClick}, kClose, 2,
     400, "menu", Harm::kQuit},
    {"NamingCloseTwiceMoreThenQuit", kTwoPlayers, kPlayerFile, nullptr, {kSplash, kPlayers, kThirdSlot}, kClose, 3, 30,
     "profiles", Harm::kQuit},
    {"DeleteKeepTwiceMoreThenQuit", kTwoPlayers, kPlayerFile, nullptr, {kSplash, kPlayers, kDeletePlayer}, kClose, 3,
     120, "profiles", Harm::kQuit},
    {"SplashThenQuit", kTwoPlayers, kPlayerFile, nullptr, {kNoClick, kNoClick, kNoClick}, kClose, 2, 120, "menu",
     Harm::kQuit},
    {"SplashThenLanguage", kTwoPlayers, kPlayerFile, nullptr, {kNoClick, kNoClick, kNoClick}, kLanguage, 2, 30, "menu",
     Harm::kSwitch},
    {"PlayersThenFourthPlayer", kFourPlayers, kPlayerFile, nullptr, {kSplash, kNoClick, kNoClick}, kPlayers, 2, 120,
     "profiles", Harm::kChoose},
    {"PlayerThenNewGame", kFourPlayers, kPlayerFile, nullptr, {kSplash, kPlayers, kNoClick}, kThirdSlot, 2, 400,
     "menu", Harm::kStart},
};

class SampleQuickClickTest : public SampleSaveNoticeTest, public testing::WithParamInterface<QuickClicks> {
protected:
    bool Happened(Harm harm, const std::string& language) {
        switch (harm) {
            case Harm::kQuit: return harness.GetGame().quitRequested;
            case Harm::kDelete: return !DataTree::Exists("[ROOT]/profiles/slot0/");
            case Harm::kChoose: return DataTree::GetCurrentSlot() == 3;
            case Harm::kStart: return harness.ScreenTree() != "GameScreen[MenuScreen]";
            case Harm::kSwitch: return Loca::Global().GetLanguageCode() != language;
        }
        return true;
    }
};

TEST_P(SampleQuickClickTest, ActsOnlyOnWhatThePlayerSaw) {
    const QuickClicks& row = GetParam();
    harness.WriteSavedFile("gamedata.xml", row.profiles);
    harness.WriteSavedFile("data0.xml", row.playerFile);
    if (row.blocked) std::filesystem::create_directory(harness.UserFolder() + row.blocked);
    harness.MountGameData(SampleData());
    ASSERT_TRUE(harness.Start());
    ASSERT_TRUE(harness.RunUntilFadeEnds());
    testing::internal::CaptureStderr();  // a saved game that cannot go on says why there
    for (Vec2 click : row.way)
        if (click.x >= 0) ClickAndSettle(click);
    const std::string language = Loca::Global().GetLanguageCode();
    const uint32_t first = harness.Now();
    for (int i = 0; i < row.clicks; ++i) {
        const uint32_t pressMs = first + static_cast<uint32_t>(i * row.gapMs);
        while (harness.Now() + 17 <= pressMs) harness.Step();
        harness.ClickAt(pressMs, row.spot);
        if (i == 0 && row.lateMs) harness.StepAfter(static_cast<uint32_t>(row.lateMs));
        else harness.Step();
        if (i == 0 && row.stallMs) harness.StepAfter(static_cast<uint32_t>(row.stallMs));
    }
    harness.Step(30);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(Happened(row.harm, language)) << harness.ScreenTree();
    halvo::AutoRef<halvo::GuiWidget> board = Find(MenuFrame(), "name", row.shown);
    EXPECT_TRUE(board && board->ReadBool(halvo::GuiWidget::kPropShow)) << row.shown;
    if (row.thenActs) {
        ClickAndSettle(row.spot);
        EXPECT_TRUE(Happened(row.harm, language)) << "the click after a pause";
    }
    if (!row.nextShown) return;
    ClickAndSettle(row.next);
    EXPECT_FALSE(Happened(row.harm, language)) << "the next click";
    board = Find(MenuFrame(), "name", row.nextShown);
    EXPECT_TRUE(board && board->ReadBool(halvo::GuiWidget::kPropShow)) << row.nextShown;
}

INSTANTIATE_TEST_SUITE_P(Boards, SampleQuickClickTest, testing::ValuesIn(kQuickClicks),
                         [](const testing::TestParamInfo<QuickClicks>& info) { return info.param.name; });

}  // namespace
