#pragma once
// The screen of a cutscene: the scene's picture and objects as every scene
// screen shows them, and over them up to three speakers standing at the
// bottom edge (left, centre, right) who slide in, change pose by a
// cross-fade and slide out again, and speak in chat bubbles that the
// "cutscene" script module builds. The script thread that shows a bubble
// waits until the player clicks. Game::LoadScene makes one for a cutscene;
// the adventure screen derives from it and a mini-game host may open over
// it. It owns its speaker sprites; it observes its GUI frame (which the GUI
// root holds), the bubble shown last and the waiting thread.

#include <array>
#include <cstdint>
#include <string>

#include "game/PageTurnGuard.h"
#include "game/screens/SceneScreen.h"
#include "gui/GuiListener.h"
#include "platform/InputQueue.h"
#include "platform/RefObj.h"

namespace Vrel {
class Thread;
}
namespace halvo {
class GuiWidget;
}

class CutsceneScreen : public SceneScreen {
public:
    static const ClassRecord kClassRecord;
    static halvo::RefObj* Create();

    // Where a speaker stands; scripts name the slots by position word.
    enum SpeakerSlot : int32_t {
        kSlotNone = -1,   // no such speaker or position
        kSlotLeft = 0,    // "left"
        kSlotCenter = 1,  // "center"
        kSlotRight = 2,   // "right"
    };
    static constexpr int32_t kSlotCount = 3;

    // Every slide and cross-fade of a speaker takes this long.
    static constexpr float kSpeakerAnimationMs = 500.0f;
    // Autoplay dismisses a bubble once it has stood longer than this.
    static constexpr double kAutoplayMs = 500.0;
    // Animations with this tag take their widget away when they end.
    static constexpr const char* kRemoveTag = "remove_me";
    static constexpr const char* kPoseTexture = "#Characters/%s.cbi";
    static constexpr const char* kBubbleModule = "cutscene";
    static constexpr const char* kBubbleFunction = "CreateChatBubble";

    // Time since the last bubble or autoplay click, shared by every cutscene
    // screen while the autoplay cheat is on.
    static double autoplayElapsed;

    // Covers the logical screen exactly.
    CutsceneScreen();
    // Takes the speakers and the GUI frame out of the widget tree.
    ~CutsceneScreen() override;

    const ClassRecord* GetClassInfo() const override { return &kClassRecord; }
    // Takes only a button release, while a script waits on a bubble; the
    // release of a press made once the bubble had stood a moment turns it:
    // the bubble goes and the script goes on at the next scheduler pass.
    bool OnInput(const InputEvent& event) override;
    // Keeps the frame on the view, steps the scene's markers and plays the
    // autoplay cheat.
    void OnUpdate(double totalMs, double stepMs) override;
    // The scene screen's set-up, then the GUI frame that holds speakers and
    // bubbles. Always true.
    bool SetScene(Scene* scene) override;

    // ---- the script words; each answers its animation time in ms, 0 when
    // it did nothing ----
    // Puts a speaker into the slot named by `position`, replacing whoever
    // stood there, and slides it in from outside. 0 for an unknown position
    // or a pose that does not load (the name is kept, nobody shown).
    float AddSpeaker(const char* name, const char* position, const char* pose);
    // `speaker` is a speaker's name or a position word. The slot is free at
    // once; the sprite slides out and then goes.
    float RemoveSpeaker(const char* speaker);
    // Cross-fades to the new pose. A pose that does not load changes nothing.
    float SetPose(const char* speaker, const char* pose);
    // Shows `text` (a localisation key or plain text) in a bubble beside the
    // speaker and pauses `caller` until a click. An unknown speaker or no
    // bubble from the script leaves the caller running. A bubble still
    // waiting from an earlier caller is dismissed first, its caller resumed.
    void Says(Vrel::Thread* caller, const char* speaker, const char* text);

    // ---- what tests read back ----
    const std::string& GetSpeakerName(int32_t slot) const;
    // Null for a free slot or one outside 0..2.
    halvo::GuiWidget* GetSpeakerSprite(int32_t slot) const;
    halvo::GuiWidget* GetChatBubble() const;
    Vrel::Thread* GetWaitingThread() const;
    // "left", "center", "right" to their slot; anything else kSlotNone.
    static int32_t SpeakerSlotFromPosition(const char* position);
    // The first slot whose speaker has exactly this name, else the slot of
    // the position word.
    int32_t FindSpeakerSlot(const char* speaker) const;

private:
    // A new sprite of the pose at the slot's resting place. On failure the
    // slot keeps the sprite it had.
    bool SetSpeakerPose(int32_t slot, const char* pose);
    void ClearSpeaker(int32_t slot);
    // Where a sprite of this slot stands outside the screen.
    Vec2 OffscreenPosition(int32_t slot, const halvo::GuiWidget& sprite) const;
    // Removes the bubble and resumes its waiting script.
    void DismissBubble();
    void StepAutoplay(double stepMs);
    Vec2 LogicalSize() const;

    std::array<halvo::AutoRef<halvo::GuiWidget>, kSlotCount> speakerSprites_;
    halvo::WeakRef<Vrel::Thread> waitingThread_;
    halvo::WeakRef<halvo::GuiWidget> chatBubble_;
    PageTurnGuard pageTurn_;
    std::array<std::string, kSlotCount> speakerNames_;
};

// Takes a speaker sprite away when its tagged slide or fade ends. It sits
// on the cutscene's GUI frame, where the animation ends of every speaker
// arrive.
class CutsceneListener : public halvo::GuiListener {
public:
    void OnAnimationEnd(halvo::GuiWidget* widget, halvo::GuiAnimator* animator) override;
};
