#include "gui/GuiClickGuard.h"
#include "gui/GuiColor.h"
#include "gui/GuiMain.h"
#include "gui/GuiTestSupport.h"
#include "platform/FileManager.h"
#include "support/CbsiWriter.h"
#include "support/FakeGlFixture.h"
#include "support/GlobalDataRoot.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using halvo::AutoRef;
using halvo::GuiMain;
using halvo::GuiTexture;

class GuiTextureCacheTest : public FakeGlFixture {
protected:
    void Write(const std::string& path) {
        testsupport::GlobalDataRoot().WriteFile(path, Bytes(CbsiWriter::SingleTileImage(8)));
        FileManager::Global().ResetDirectoryCaches();
    }
    static std::string Bytes(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }
    GuiMain& gui = GuiMain::Global();
};

TEST_F(GuiTextureCacheTest, PathRulesFollowTheName) {
    EXPECT_EQ(GuiMain::TexturePath("buttons/ok"), "gui/buttons/ok.cbi");
    EXPECT_EQ(GuiMain::TexturePath("#Characters/Tobin.cbi"), "Characters/Tobin.cbi");
    EXPECT_EQ(GuiMain::TexturePath("scenes/a:b.cbi"), "scenes/a:b.cbi");
    EXPECT_EQ(GuiMain::TexturePath("#x:y"), "#x:y");

    Write("gui/plain.cbi");
    Write("Characters/Maren.cbi");
    Write("odd:name.cbi");
    EXPECT_TRUE(gui.LoadTexture("plain"));
    EXPECT_TRUE(gui.LoadTexture("#Characters/Maren.cbi"));
    EXPECT_TRUE(gui.LoadTexture("odd:name.cbi"));
    AutoRef<GuiTexture> texture = gui.LoadTexture("plain");
    EXPECT_EQ(texture->anchor, (Vec2{0, 0}));
}

TEST_F(GuiTextureCacheTest, SharedWhileHeldReloadedAfterItsLastUserLetsGo) {
    Write("gui/shared.cbi");
    AutoRef<GuiTexture> first = gui.LoadTexture("shared");
    ASSERT_TRUE(first);
    const size_t uploads = gl.uploads.size();
    EXPECT_EQ(gui.LoadTexture("shared", true).Get(), first.Get());
    EXPECT_EQ(gl.uploads.size(), uploads);
    first.Reset();
    AutoRef<GuiTexture> again = gui.LoadTexture("shared");
    ASSERT_TRUE(again);
    EXPECT_GT(gl.uploads.size(), uploads);
}

TEST_F(GuiTextureCacheTest, FailedNameStaysFailedEvenOnceTheFileExists) {
    EXPECT_FALSE(gui.LoadTexture("late"));
    Write("gui/late.cbi");
    EXPECT_FALSE(gui.LoadTexture("late"));
    EXPECT_FALSE(gui.LoadTexture(nullptr));
}

class GuiMainTest : public testsupport::GuiFixture {};

TEST_F(GuiMainTest, FactoriesIgnoreCaseAndARepeatedNameReplaces) {
    struct Marked : halvo::GuiWidget {
        Marked() { WriteInt("marked", 1); }
    };
    gui.RegisterWidget("Marked", &halvo::NewWidget<Marked>);
    EXPECT_EQ(gui.CreateWidget("MARKED")->ReadInt("marked"), 1);
    gui.RegisterWidget("marked", &halvo::NewWidget<halvo::GuiWidget>);
    EXPECT_FALSE(gui.CreateWidget("Marked")->HasProperty("marked"));
    EXPECT_FALSE(gui.CreateAnimator("NoSuchAnimator"));
    gui.RegisterAnimator("Scripted", &halvo::NewAnimator<testsupport::ScriptedAnimator>);
    EXPECT_TRUE(gui.CreateAnimator("scripted"));
}

TEST_F(GuiMainTest, StartAnimationCreatesInitialisesAndAppends) {
    gui.RegisterAnimator("Scripted", &halvo::NewAnimator<testsupport::ScriptedAnimator>);
    AutoRef<halvo::GuiWidget> w = testsupport::MakeFrame(nullptr, "w", 0, 0, 1, 1);
    auto params = testsupport::Params({{"delay", Vrel::Var(100)}, {"tag", Vrel::Var("x")}});
    EXPECT_FALSE(halvo::StartAnimation(w.Get(), "Unknown", *params));
    EXPECT_FALSE(halvo::StartAnimation(nullptr, "Scripted", *params));
    EXPECT_FALSE(w->HasAnimators());
    ASSERT_TRUE(halvo::StartAnimation(w.Get(), "Scripted", *params));
    EXPECT_TRUE(w->HasAnimators());
    // The parameters read through the animator, never written.
    AutoRef<halvo::GuiAnimator> probe = gui.CreateAnimator("Scripted");
    probe->Init(w.Get(), *params);
    EXPECT_STREQ(probe->GetMember("tag")->GetCString(), "x");
    EXPECT_EQ(probe->GetOrAddMember("tag"), nullptr);
    EXPECT_STREQ(probe->GetTypeName(), "animation");
}

TEST_F(GuiMainTest, SoundsGoToEveryModuleInOrderForTheTwoKinds) {
    struct Recorder : halvo::GuiSound {
        std::vector<std::string>* log;
        std::string tag;
        void PlayButtonSound(halvo::GuiWidget*) override { log->push_back(tag + " button"); }
        void PlayRadioSound(halvo::GuiWidget*) override { log->push_back(tag + " radio"); }
    };
    std::vector<std::string> log;
    GuiMain local;
    for (const char* tag : {"1", "2"}) {
        auto* module = new Recorder;
        module->log = &log;
        module->tag = tag;
        local.InstallSoundModule(module);
    }
    local.PlaySound(0, nullptr);
    local.PlaySound(1, nullptr);
    local.PlaySound(2, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"1 button", "2 button", "1 radio", "2 radio"}));
}

TEST_F(GuiMainTest, ATakenBackSoundModuleIsAskedNoMore) {
    struct Counter : halvo::GuiSound {
        int clicks = 0;
        void PlayButtonSound(halvo::GuiWidget*) override { ++clicks; }
        void PlayRadioSound(halvo::GuiWidget*) override { ++clicks; }
    };
    GuiMain local;
    AutoRef<Counter> kept(new Counter), taken(new Counter);
    local.InstallSoundModule(kept.Get());
    local.InstallSoundModule(taken.Get());
    local.RemoveSoundModule(taken.Get());
    local.RemoveSoundModule(nullptr);
    local.PlaySound(0, nullptr);
    EXPECT_EQ(kept->clicks, 1);
    EXPECT_EQ(taken->clicks, 0);
    EXPECT_EQ(taken->GetRefCount(), 1) << "the manager let go of it";
}

TEST_F(GuiMainTest, ErrorTextIsKeptAndNamesNeverFormat) {
    GuiMain local;
    EXPECT_FALSE(local.HasError());
    local.SetError("GuiSprite::Init - Unable to load texture '%s'", "%s%n");
    EXPECT_EQ(local.GetLastError(), "GuiSprite::Init - Unable to load texture '%s%n'");
    EXPECT_TRUE(local.HasError());
    local.SetError("%s", "");
    EXPECT_FALSE(local.HasError());
}

TEST(GuiColorTest, AlphaBytesAreClampedNeverWrapped) {
    EXPECT_EQ(halvo::ScaleAlphaByte(255, 0.5f), 128);
    EXPECT_EQ(halvo::ScaleAlphaByte(200, 2.0f), 255);
    EXPECT_EQ(halvo::ScaleAlphaByte(200, -1.0f), 0);
    EXPECT_EQ(halvo::ScaleAlphaByte(200, std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(halvo::ScaleAlphaByte(200, std::numeric_limits<float>::infinity()), 255);
    EXPECT_EQ(halvo::AlphaFractionToByte(0.5f), 127);
    EXPECT_EQ(halvo::AlphaFractionToByte(1.5f), 255);
    EXPECT_EQ(halvo::AlphaFractionToByte(-0.1f), 0);
    const Color c = halvo::ColorFromWord(0x80FF4020u);
    EXPECT_EQ(c, (Color{0x20, 0x40, 0xFF, 0x80}));
}

class GuiDrawQuadTest : public FakeGlFixture {};

TEST_F(GuiDrawQuadTest, HalfFactorBlendsWithRoundedAlphaAndOpaqueDoesNot) {
    GLState::SetAlpha(0);
    GuiMain& gui = GuiMain::Global();
    gl.Clear();
    gui.DrawQuad(0xFF0000FFu, Matrix4::Identity(), 0, 0, 10, 10, 0.5f);
    EXPECT_EQ(gl.Count("Enable(0xbe2)"), 1u);
    EXPECT_EQ(gl.Count("Color4ub(255,0,0,128)"), 1u);
    EXPECT_EQ(gl.Count("DrawElements"), 1u);
    gl.Clear();
    gui.DrawQuad(0xFF00FF00u, Matrix4::Identity(), 0, 0, 10, 10, 1.0f);
    EXPECT_EQ(gl.Count("Disable(0xbe2)"), 1u);
    EXPECT_EQ(gl.Count("Color4ub(0,255,0,255)"), 1u);
}

// A new frame draws `widgets` and comes on screen at `ms`.
void ShowFrame(uint32_t ms, std::initializer_list<halvo::GuiWidget*> widgets) {
    halvo::GuiFrameClock& frames = GuiMain::Global().Frames();
    frames.StartFrame();
    for (halvo::GuiWidget* widget : widgets) widget->NoteDrawn();
    frames.Presented(ms);
}

// What the sample's rows cannot show: a quick press passes where it goes
// where the last one went (a widget that stays, or a scene), or lands apart,
// or late; every quick press, refused or not, starts the wait anew.
TEST(GuiClickGuardTest, RefusesOnlyAQuickPressOnTheSpotThatGoesElsewhere) {
    AutoRef<halvo::GuiWidget> button(new halvo::GuiWidget), board(new halvo::GuiWidget);
    ShowFrame(0xFFFFFF00u, {button.Get(), board.Get()});
    halvo::GuiClickGuard guard;
    EXPECT_TRUE(guard.AdmitPress(0, {100, 100}, button.Get()));
    EXPECT_TRUE(guard.AdmitPress(30, {110, 100}, button.Get()));
    EXPECT_FALSE(guard.AdmitPress(60, {100, 110}, board.Get()));
    EXPECT_TRUE(guard.TakeRefusedRelease());
    EXPECT_FALSE(guard.AdmitPress(500, {100, 100}, nullptr));  // measured from the refused press at 60
    EXPECT_FALSE(guard.AdmitPress(990, {100, 100}, board.Get()));
    EXPECT_TRUE(guard.AdmitPress(1500, {100, 100}, board.Get()));
    EXPECT_TRUE(guard.AdmitPress(1510, {120, 100}, button.Get()));
    EXPECT_TRUE(guard.AdmitPress(3000, {100, 100}, nullptr));
    EXPECT_TRUE(guard.AdmitPress(3010, {100, 100}, nullptr));
    EXPECT_FALSE(guard.TakeRefusedRelease());
    EXPECT_FALSE(guard.AdmitPress(3020, {100, 100}, board.Get()));  // what the scene's click opened there
    // The window system's 32-bit clock wraps between two presses.
    EXPECT_TRUE(guard.AdmitPress(0xFFFFFFF0u, {100, 100}, button.Get()));
    EXPECT_FALSE(guard.AdmitPress(100, {100, 100}, board.Get()));
    // Stamped before the one before it, as presses timed by two sources may
    // come: as close either way round, and as far.
    EXPECT_TRUE(guard.AdmitPress(5000, {100, 100}, button.Get()));
    EXPECT_FALSE(guard.AdmitPress(4900, {100, 100}, board.Get()));
    EXPECT_TRUE(guard.AdmitPress(3000, {100, 100}, board.Get()));
}

// A widget takes no press made before a frame that drew it came on screen,
// however long after the last press, nor one made while it was hidden; it
// takes a press made once it stood there, between any two frames after.
TEST(GuiClickGuardTest, RefusesAPressMadeBeforeItsTargetCameOnScreen) {
    AutoRef<halvo::GuiWidget> menu(new halvo::GuiWidget), question(new halvo::GuiWidget);
    ShowFrame(1000, {menu.Get()});
    halvo::GuiClickGuard guard;
    EXPECT_TRUE(guard.AdmitPress(1000, {100, 100}, menu.Get()));
    EXPECT_FALSE(guard.AdmitPress(1700, {300, 100}, question.Get()));  // built, never drawn
    EXPECT_TRUE(guard.TakeRefusedRelease());
    ShowFrame(2400, {question.Get()});  // drawn on a busy machine, the menu hidden
    EXPECT_FALSE(guard.AdmitPress(2399, {500, 100}, question.Get()));
    EXPECT_FALSE(guard.AdmitPress(2500, {700, 100}, menu.Get()));  // hidden by then
    EXPECT_TRUE(guard.AdmitPress(2400, {900, 100}, question.Get()));
    ShowFrame(3000, {menu.Get()});  // back after a frame without it: shown anew
    EXPECT_FALSE(guard.AdmitPress(2990, {100, 900}, menu.Get()));
    EXPECT_TRUE(guard.AdmitPress(3010, {300, 900}, menu.Get()));
    for (uint32_t ms = 3017; ms <= 3170; ms += 17) ShowFrame(ms, {menu.Get()});
    EXPECT_TRUE(guard.AdmitPress(3160, {500, 900}, menu.Get()));
}

}  // namespace
