#pragma once
// The rules of repeat-the-sequence: buttons flicker, pause, play a random
// sequence, then wait for the player to repeat it. A fully repeated sequence
// brings a new one, one longer; a wrong click replays the same one. Time
// counts in 17 ms steps; the screen turns the answers into sounds and the win.

#include "minigames/senso/SensoConfig.h"

#include <cstdint>
#include <vector>

enum class SensoState : int32_t {
    kIntro = 0,     // every button flickers
    kPause = 1,     // before playback
    kPlayback = 2,  // the sequence lights up element by element
    kInput = 3,     // the player repeats it
};

enum class SensoClick { kIgnored, kRight, kWrong };
// kBlink: a button of the sequence lit up in playback (its sound plays).
enum class SensoStep { kNone, kBlink, kWon };

class SensoRules {
public:
    static constexpr int32_t kLitSteps = 30;        // one blink of a lit button
    static constexpr int32_t kPauseSteps = 45;      // between the intro and playback
    static constexpr int32_t kIntroBlinkSteps = 25; // plus 0..4, three blinks long

    // From a configuration ReadSensoConfig accepted; draws the intro blinks
    // and the first sequence.
    explicit SensoRules(const SensoConfig& config);

    // False for a configuration that never went through ReadSensoConfig and
    // has no button or no first length; such rules do nothing.
    bool IsReady() const { return !sequence_.empty(); }
    SensoState GetState() const { return state_; }
    bool IsWon() const { return won_; }
    const std::vector<int32_t>& GetSequence() const { return sequence_; }
    // The next element to play or to be clicked.
    int32_t GetPosition() const { return position_; }
    int32_t GetButtonCount() const { return int32_t(buttons_.size()); }
    // The drawn opacity of a button, 0..1; 0 for an index outside the panel.
    float GetHighlight(int32_t button) const;
    // Steps left of the button's current blink.
    int32_t GetCountdown(int32_t button) const;

    // A click on a button while the player repeats; a wrong one brings the
    // same sequence back after the intro and the pause.
    SensoClick Click(int32_t button);
    // One 17 ms step. With autoPlay the game clicks the due buttons itself,
    // lighting them without a sound.
    SensoStep Step(bool autoPlay);

private:
    struct Blink {
        int32_t countdown = 0;
        int32_t blinkSteps = 0;
        float highlight = 0.0f;
    };

    void NewSequence(int32_t length);
    void Light(int32_t button);
    void LightNextOfSequence();
    SensoStep Settle(bool autoPlay);

    std::vector<Blink> buttons_;
    std::vector<int32_t> sequence_;
    int32_t minLength_ = 1;
    int32_t maxLength_ = 1;
    int32_t position_ = 0;
    int32_t waitSteps_ = 0;
    SensoState state_ = SensoState::kIntro;
    bool won_ = false;
};
