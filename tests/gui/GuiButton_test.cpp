#include "gui/GuiButton.h"
#include "gui/GuiSound.h"
#include "gui/GuiSprite.h"
#include "gui/GuiTextureSet.h"
#include "gui/GuiTextureFiles.h"

#include <gtest/gtest.h>

namespace {

using halvo::AutoRef;
using halvo::GuiButton;
using halvo::GuiWidget;
using testsupport::Params;
using testsupport::RecordingListener;
using testsupport::WriteGuiImage;

// Logs the click sounds it is asked for.
class SoundLog : public halvo::GuiSound {
public:
    explicit SoundLog(std::vector<std::string>* log) : log_(log) {}
    void PlayButtonSound(GuiWidget* w) override { log_->push_back("sound " + testsupport::NameOf(w)); }
    void PlayRadioSound(GuiWidget* w) override { log_->push_back("radio sound " + testsupport::NameOf(w)); }

private:
    std::vector<std::string>* log_;
};

class GuiButtonTest : public testsupport::GuiFakeGlFixture {
protected:
    void SetUp() override {
        GuiFakeGlFixture::SetUp();
        gui.InstallSoundModule(sound.Get());
        frame = testsupport::MakeFrame(root, "frame", 0, 0, -1, -1, false);
        frame->AddListener(new RecordingListener(&log, "frame"));
    }
    void TearDown() override {
        gui.RemoveSoundModule(sound.Get());
        GuiFakeGlFixture::TearDown();
    }
    GuiButton* Make(std::initializer_list<std::pair<const char*, Vrel::Var>> params) {
        AutoRef<GuiWidget> made = halvo::GuiCreateWidget("Button", *Params(params), frame.Get());
        return static_cast<GuiButton*>(made.Get());
    }
    std::vector<std::string> log;
    AutoRef<halvo::GuiSound> sound{new SoundLog(&log)};
    AutoRef<GuiWidget> frame;
};

TEST_F(GuiButtonTest, WidgetBasicsOfSpritesAndButtons) {
    testsupport::CheckWidgetBasics("Button", GuiButton::kClassRecord, {{"pick", Vrel::Var(true)}},
                                   *Params({{"color", Vrel::Var(-1)}, {"xsize", Vrel::Var(5)}, {"ysize", Vrel::Var(5)}}));
    testsupport::CheckWidgetBasics("Sprite", halvo::GuiSprite::kClassRecord, {{"pick", Vrel::Var(false)}},
                                   *Params({{"color", Vrel::Var(-1)}, {"xsize", Vrel::Var(5)}, {"ysize", Vrel::Var(5)},
                                            {"hover", Vrel::Var("x")}}));
    EXPECT_FALSE(halvo::GuiCreateWidget("Sprite", *Params({{"color", Vrel::Var(-1)}}), nullptr));
    EXPECT_EQ(gui.GetLastError(), "GuiSprite::Init - invalid 'xsize' or 'ysize' found");
    EXPECT_FALSE(halvo::GuiCreateWidget("Button", *Params({{"xsize", Vrel::Var(5)}}), nullptr));
}

TEST_F(GuiButtonTest, StateWordsGoBeforeTheSuffixAndOffOrOnComesOffTheStem) {
    for (const char* name : {"opt_Off_S00", "opt_OffPressed_S00", "opt_OnHover_S00", "button", "play"})
        WriteGuiImage(name, 40, 20);
    GuiButton* toggle = Make({{"texture", Vrel::Var("opt_Off_S04")}, {"radio", Vrel::Var(0)}});
    ASSERT_TRUE(toggle);
    const bool loaded[8] = {true, true, false, false, false, false, true, false};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(!toggle->GetTextureSet(i).IsEmpty(), loaded[i]) << i;
    EXPECT_EQ(toggle->GetXSize(), 40);  // the normal set's frame
    GuiButton* plain = Make({{"texture", Vrel::Var("buttonOn")}});
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->GetTextureSet(0).IsEmpty());
    EXPECT_FALSE(Make({{"texture", Vrel::Var("absent")}}));
    EXPECT_EQ(gui.GetLastError(), "GuiButton::Init - Unable to load texture absent");
}

TEST_F(GuiButtonTest, ClickOnReleaseEvenOffTheButtonAndTheStateTable) {
    WriteGuiImage("play", 40, 20);
    GuiButton* button = Make({{"name", Vrel::Var("b")}, {"texture", Vrel::Var("play")}});
    ASSERT_TRUE(button);
    frame->RouteInput(testsupport::Move(5, 5));
    EXPECT_EQ(button->GetState(), GuiButton::kStateHover);
    frame->RouteInput(testsupport::Press(5, 5));
    EXPECT_EQ(button->GetState(), GuiButton::kStatePressed);
    frame->RouteInput(testsupport::Move(100, 100));
    EXPECT_EQ(button->GetState(), GuiButton::kStatePressed);
    frame->RouteInput(testsupport::Release(100, 100));
    EXPECT_EQ(button->GetState(), GuiButton::kStateNormal);
    EXPECT_EQ(log, (std::vector<std::string>{"frame:6 b 5,5", "frame:7 b 100,100", "frame:0 b", "sound b"}));

    // A right click goes to the widget base and leaves the state alone.
    log.clear();
    frame->RouteInput(testsupport::Move(5, 5));
    frame->RouteInput(testsupport::MakeInput(InputEvent::kButtonDown, 5, 5, InputEvent::kRight));
    frame->RouteInput(testsupport::MakeInput(InputEvent::kButtonUp, 5, 5, InputEvent::kRight));
    EXPECT_EQ(button->GetState(), GuiButton::kStateHover);
    EXPECT_EQ(log, (std::vector<std::string>{"frame:6 b 5,5", "frame:3 b 2", "frame:4 b 2"}));

    // A press ended by a fade returns to rest without a click. Its own
    // listener heard the press, which went no further.
    log.clear();
    button->AddListener(new RecordingListener(&log, "own"));
    frame->RouteInput(testsupport::Press(5, 5));
    gui.ClearHover();
    EXPECT_EQ(button->GetState(), GuiButton::kStateNormal);
    EXPECT_EQ(log, (std::vector<std::string>{"own:3 b 1", "own:7 b 0,0", "frame:7 b 0,0"}));
}

TEST_F(GuiButtonTest, RadioFlipsAndDeactivatedOnlyPassesInputOn) {
    for (const char* name : {"optOff", "optOn", "optOnHover"}) WriteGuiImage(name, 40, 20);
    GuiButton* toggle = Make({{"name", Vrel::Var("t")}, {"texture", Vrel::Var("optOff")}, {"radio", Vrel::Var(0)}});
    ASSERT_TRUE(toggle);
    EXPECT_EQ(toggle->GetDisplayState(), 0);
    testsupport::Click(frame.Get(), 5, 5);
    EXPECT_EQ(toggle->ReadInt("radio"), 1);
    EXPECT_EQ(toggle->GetDisplayState(), 6);
    frame->RouteInput(testsupport::Move(100, 100));
    EXPECT_EQ(toggle->GetDisplayState(), 4);
    testsupport::Click(frame.Get(), 5, 5);
    EXPECT_EQ(toggle->ReadInt("radio"), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"frame:6 t 5,5", "frame:1 t", "radio sound t", "frame:7 t 100,100",
                                             "frame:6 t 5,5", "frame:1 t", "radio sound t"}));

    log.clear();
    toggle->WriteBool("deactivated", true);
    EXPECT_EQ(toggle->GetDisplayState(), 0);  // no deactivated set: the normal one
    frame->RouteInput(testsupport::Press(5, 5));
    frame->RouteInput(testsupport::Release(5, 5));
    EXPECT_EQ(toggle->ReadInt("radio"), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"frame:3 t 1", "frame:4 t 1"}));
}

TEST_F(GuiButtonTest, OnButtonThatDestroysItsButtonOutlivesTheClick) {
    GuiButton* button = Make({{"name", Vrel::Var("b")}, {"color", Vrel::Var(-1)}, {"xsize", Vrel::Var(20)},
                              {"ysize", Vrel::Var(20)}});
    AutoRef<RecordingListener> killer(new RecordingListener(&log));
    killer->answer = true;
    killer->action = [](int32_t id, GuiWidget* sender) {
        if (id == halvo::kEventButton) sender->RemoveAndDetach();
    };
    button->AddListener(killer.Get());
    testsupport::Click(frame.Get(), 5, 5);
    EXPECT_EQ(frame->GetFirstChild(), nullptr);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "sound b");
}

// Each state's set takes the animation properties when the button comes to
// show it, starting from its first frame; a change of the properties waits
// for the next change of state.
TEST_F(GuiButtonTest, AStateSetTakesTheAnimationPropertiesWhenTheStateChanges) {
    for (int i = 0; i < 4; ++i) {
        WriteGuiImage("spin_S0" + std::to_string(i), 40, 20);
        WriteGuiImage("spinHover_S0" + std::to_string(i), 40, 20);
    }
    GuiButton* button = Make({{"name", Vrel::Var("b")}, {"texture", Vrel::Var("spin_S00")},
                              {"ani_fps", Vrel::Var(0.1f)}, {"ani_loops", Vrel::Var(2)}});
    ASSERT_TRUE(button);
    const halvo::GuiTextureSet& normal = button->GetTextureSet(GuiButton::kStateNormal);
    const halvo::GuiTextureSet& hover = button->GetTextureSet(GuiButton::kStateHover);
    ASSERT_EQ(normal.GetMode(), halvo::GuiTextureSet::kModeAnimation);
    ASSERT_EQ(hover.GetFrameCount(), 4u);
    frame->Update(0, 17);
    EXPECT_FLOAT_EQ(normal.GetFrameSpeed(), 0.1f);
    EXPECT_EQ(normal.GetLoopsLeft(), 2);
    EXPECT_FLOAT_EQ(normal.GetPosition(), 1.7f);

    // New values while the state stays: the running set keeps its own.
    button->WriteFloat("ani_fps", 0.05f);
    button->WriteBool("ani_bounce", true);
    button->WriteInt("ani_loops", 0);
    frame->Update(17, 17);
    EXPECT_FLOAT_EQ(normal.GetFrameSpeed(), 0.1f);
    EXPECT_FLOAT_EQ(normal.GetPosition(), 3.4f);

    // Hovered: the hover set starts over with them, and bounces at its end
    // (0.85 frames a step: 4.25 comes back to 2.75 instead of wrapping to 0.25).
    frame->RouteInput(testsupport::Move(5, 5));
    ASSERT_EQ(button->GetDisplayState(), GuiButton::kStateHover);
    for (int step = 2; step < 7; ++step) frame->Update(step * 17.0, 17);
    EXPECT_FLOAT_EQ(hover.GetFrameSpeed(), -0.05f);  // on its way back
    EXPECT_NEAR(hover.GetPosition(), 2.75f, 1e-4f);

    // Back to normal with one loop and no bounce: the set plays once and stops.
    button->WriteBool("ani_bounce", false);
    button->WriteInt("ani_loops", 1);
    frame->RouteInput(testsupport::Move(100, 100));
    frame->Update(7 * 17.0, 17);
    EXPECT_NEAR(normal.GetPosition(), 0.85f, 1e-4f);
    for (int step = 8; step < 14; ++step) frame->Update(step * 17.0, 17);
    EXPECT_EQ(normal.GetFrameSpeed(), 0.0f);
    EXPECT_EQ(normal.GetShownFrame(), 3u);
}

// Released off the button after a press, the click still comes, and the
// button survives a handler that lets go of it while nothing else holds it
// (the address-checking build sees a use of the freed button).
TEST_F(GuiButtonTest, AReleaseOffTheButtonClicksAndTheButtonOutlivesAHandlerDroppingItsLastReference) {
    GuiButton* button = Make({{"name", Vrel::Var("b")}, {"color", Vrel::Var(-1)}, {"xsize", Vrel::Var(20)},
                              {"ysize", Vrel::Var(20)}});
    ASSERT_TRUE(button);
    AutoRef<RecordingListener> dropper(new RecordingListener(&log, "own"));
    dropper->answer = true;
    dropper->action = [](int32_t id, GuiWidget* sender) {
        if (id == halvo::kEventButton) sender->RemoveAndDetach();
    };
    button->AddListener(dropper.Get());
    frame->RouteInput(testsupport::Move(5, 5));
    frame->RouteInput(testsupport::Press(5, 5));
    frame->RouteInput(testsupport::Move(100, 100));
    log.clear();
    // Handed over straight, as by a caller holding no reference of its own.
    button->OnInput(testsupport::Release(100, 100));
    EXPECT_EQ(frame->GetFirstChild(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"own:0 b", "own:remove b", "sound b"}));
}

}  // namespace
