// A menu built by a compiled script with the GUI's functions and driven by
// injected input: the script's handlers hear the clicks, hovers, slider
// drags and animator ends, and may sleep or destroy what they handle.

#include "gui/GuiScriptTestSupport.h"
#include "gui/GuiTextureFiles.h"
#include "gui/TextTestSupport.h"

namespace {

using halvo::AutoRef;
using halvo::GuiWidget;
using testsupport::Click;
using testsupport::Move;
using testsupport::Press;
using testsupport::Release;

const char* const kMenuModule = R"(
widget menu;
function void Create(widget parent) {
  menu = GuiCreate(parent, "type", "Frame", "name", "menu", "xsize", 1920.0, "ysize", 1080.0);
  GuiCreate(menu, "type", "Sprite", "name", "back", "color", 0x7F202020, "xsize", 1920.0, "ysize", 1080.0);
  GuiCreate(menu, "type", "Button", "name", "play", "color", 0x7F00FF00, "xpos", 100.0, "ypos", 100.0,
            "xsize", 200.0, "ysize", 50.0);
  widget track = GuiCreate(menu, "type", "Sprite", "name", "track", "color", 0x7F808080, "xpos", 100.0,
                           "ypos", 300.0, "xsize", 200.0, "ysize", 20.0);
  GuiCreate(track, "type", "Slider", "name", "volume", "texture", "knob");
  GuiCreate(menu, "type", "Text", "name", "nick", "font", "fonts/DejaVuSans.ttf", "size", 20, "input", true,
            "text", "ann", "xpos", 100.0, "ypos", 500.0, "xsize", 300.0, "ysize", 40.0);
  GuiAddListener(menu, "menu");
}
function bool Type() { return GuiSetKeyboardFocus(GuiFindFirst(menu, "name", "nick")); }
function auto N(widget w) { return GuiGetValue(w, "name"); }
function bool OnButton(widget w) {
  Log("OnButton", N(w));
  GuiCreateAnimator(w, "type", "Alpha", "alpha", 0.0, "time", 100);
  return true;
}
function void OnEnter(widget w, float x, float y) { Log("OnEnter", N(w)); }
function void OnSliderChanged(widget w, float v) { Log("OnSliderChanged", N(w), v); }
function void OnAnimationEnd(widget w, animation a) { Log("OnAnimationEnd", N(w), GuiGetValue(w, "alpha")); }
function void OnInputEnd(widget w) { Log("OnInputEnd", N(w), GuiGetValue(w, "text")); }
function int OnKey(int k, int c) { Log("OnKey", k); return 1; }
)";

class GuiScriptMenuTest : public testsupport::GuiScriptTest {
protected:
    void SetUp() override {
        GuiScriptTest::SetUp();
        GLState::UseApi(&gl);
        GLState::Reset();
        testsupport::WriteGuiImage("knob", 20, 20);
        testsupport::InstallTestFont();
        host->AddListener(AutoRef<testsupport::RecordingListener>(new testsupport::RecordingListener(&hostLog)).Get());
    }
    void TearDown() override {
        GuiScriptTest::TearDown();
        GLState::SetContextAlive(false);
        GLState::UseApi(nullptr);
    }
    GuiWidget* Menu() { return host->GetFirstChild(); }
    GuiWidget* Named(const char* name) {
        return host->FindFirst(*testsupport::Params({{"name", Vrel::Var(name)}})).Get();
    }
    // Frames of 17 ms, as the main loop steps the GUI.
    void Frames(int count) {
        for (int i = 0; i < count; ++i, timeMs += 17) root->Update(timeMs, 17);
    }

    FakeGlApi gl;
    AutoRef<GuiWidget> host = testsupport::MakeFrame(root, "host", 0, 0, -1, -1, false);
    std::vector<std::string> hostLog;
    double timeMs = 0;
};

TEST_F(GuiScriptMenuTest, InjectedInputReachesTheScriptsHandlers) {
    Load("menu", kMenuModule);
    Call(Function("menu", "Create"), {Vrel::Var(host.Get())});
    ASSERT_TRUE(Menu()) << gui.GetLastError() << AllMessages();
    ASSERT_TRUE(Named("volume")) << gui.GetLastError();
    Click(host.Get(), 150, 125);
    Frames(8);
    host->RouteInput(Move(110, 310));
    host->RouteInput(Press(110, 310));
    host->RouteInput(Move(200, 310));
    host->RouteInput(Release(200, 310));
    EXPECT_TRUE(IsTrue(Call(Function("menu", "Type"))));
    host->RouteInput(testsupport::Key(0, 'y'));
    host->RouteInput(testsupport::Key(13, 0));
    EXPECT_EQ(log, (std::vector<std::string>{"OnEnter play", "OnButton play", "OnAnimationEnd play 0.000000",
                                             "OnEnter volume", "OnSliderChanged volume 0.500000",
                                             "OnInputEnd nick uni(yann)"}))
        << AllMessages();
    // The script's int 1 handles nothing: the key goes on to the host.
    EXPECT_FALSE(Menu()->Notify(halvo::kEventKey, nullptr, halvo::GuiEventData::Input(testsupport::Key(65, 97))));
    ASSERT_FALSE(log.empty() || hostLog.empty());
    EXPECT_EQ(log.back(), "OnKey 65");
    EXPECT_EQ(hostLog.back(), "2 - 65 97");
}

TEST_F(GuiScriptMenuTest, ASleepingClickBlocksLaterClicksAndTheButtonMayDestroyItself) {
    Load("menu", kMenuModule);
    Load("slow", R"(
function bool OnButton(widget w) { Log("click"); Sleep(100); Log("woke"); GuiDestroy(w); return true; }
)");
    Call(Function("menu", "Create"), {Vrel::Var(host.Get())});
    GuiWidget* play = Named("play");
    ASSERT_TRUE(play);
    CallBound("GuiAddListener", {Vrel::Var(play), Vrel::Var("slow")});
    hostLog.clear();
    Click(host.Get(), 150, 125);  // handled by the sleeping handler: the menu never hears it
    Click(host.Get(), 150, 125);  // dropped: the slow thread is still asleep; the menu handles it
    EXPECT_EQ(log, (std::vector<std::string>{"OnEnter play", "click", "OnButton play"}));
    vm.Update(120.0f);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "woke");
    EXPECT_EQ(Named("play"), nullptr);
    Frames(8);  // the Alpha animator died with its button
    Click(host.Get(), 150, 125);
    EXPECT_EQ(log.back(), "woke") << AllMessages();
}

}  // namespace
