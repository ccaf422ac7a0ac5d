#include "minigames/senso/SensoRules.h"

#include "platform/os/Random.h"

#include <cmath>
#include <numbers>

SensoRules::SensoRules(const SensoConfig& config)
    : buttons_(config.buttons.size()), minLength_(config.minLength), maxLength_(config.maxLength) {
    if (buttons_.empty() || minLength_ < 1 || minLength_ > SensoConfig::kMaxLength) return;
    NewSequence(minLength_);
}

float SensoRules::GetHighlight(int32_t button) const {
    return button >= 0 && button < GetButtonCount() ? buttons_[button].highlight : 0.0f;
}

int32_t SensoRules::GetCountdown(int32_t button) const {
    return button >= 0 && button < GetButtonCount() ? buttons_[button].countdown : 0;
}

SensoClick SensoRules::Click(int32_t button) {
    if (won_ || !IsReady() || state_ != SensoState::kInput || position_ >= int32_t(sequence_.size())) {
        return SensoClick::kIgnored;
    }
    if (button < 0 || button >= GetButtonCount()) return SensoClick::kIgnored;
    const int32_t due = sequence_[position_++];
    if (button == due) {
        Light(button);
        return SensoClick::kRight;
    }
    NewSequence(0);
    return SensoClick::kWrong;
}

SensoStep SensoRules::Step(bool autoPlay) {
    if (won_ || !IsReady()) return SensoStep::kNone;  // the win is reported once
    bool ended = false, running = false;
    for (Blink& blink : buttons_) {
        if (blink.countdown <= 0) continue;
        if (--blink.countdown < 1) {
            ended = true;
        } else {
            running = true;
        }
        blink.highlight = 0.5f - 0.5f * std::cos(std::numbers::pi_v<float> * blink.countdown / kLitSteps);
    }
    SensoStep result = SensoStep::kNone;
    if (state_ == SensoState::kPause && --waitSteps_ <= 0) {
        state_ = SensoState::kPlayback;
        LightNextOfSequence();
        result = SensoStep::kBlink;
    }
    if (ended && !running) {
        const SensoStep settled = Settle(autoPlay);
        if (settled != SensoStep::kNone) result = settled;
    }
    return result;
}

void SensoRules::NewSequence(int32_t length) {
    state_ = SensoState::kIntro;
    for (Blink& blink : buttons_) {
        blink.blinkSteps = kIntroBlinkSteps + os::Rand() % 5;
        blink.countdown = 3 * blink.blinkSteps;
        blink.highlight = 0.0f;
    }
    waitSteps_ = kPauseSteps;
    position_ = 0;
    if (length <= 0) return;  // the replay after a wrong click keeps the sequence
    sequence_.clear();
    for (int32_t i = 0; i < length; ++i) sequence_.push_back(os::Rand() % GetButtonCount());
}

void SensoRules::Light(int32_t button) {
    buttons_[button].countdown = kLitSteps;
    buttons_[button].blinkSteps = kLitSteps;
}

void SensoRules::LightNextOfSequence() { Light(sequence_[position_++]); }

// Runs when the last blink of this step has ended and none still runs.
SensoStep SensoRules::Settle(bool autoPlay) {
    SensoStep result = SensoStep::kNone;
    const int32_t length = int32_t(sequence_.size());
    switch (state_) {
    case SensoState::kIntro:
        state_ = SensoState::kPause;
        break;
    case SensoState::kPlayback:
        if (position_ < length) {
            LightNextOfSequence();
            result = SensoStep::kBlink;
        } else {
            position_ = 0;
            state_ = SensoState::kInput;
        }
        break;
    case SensoState::kInput:
        if (position_ >= length) {
            NewSequence(length + 1);
            if (length + 1 > maxLength_) {
                won_ = true;
                return SensoStep::kWon;
            }
        }
        break;
    case SensoState::kPause:
        break;
    }
    if (autoPlay && state_ == SensoState::kInput) LightNextOfSequence();
    return result;
}
