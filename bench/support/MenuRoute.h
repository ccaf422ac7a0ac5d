#pragma once
// The sample game's menus as a new player goes through them, by injected
// clicks and keys: the splash, the profile board, a name for the first slot,
// then "New game" on the main menu. One action per settled frame; the
// benchmarks that start the whole program stop the route where they need,
// and click on from there as a player would.

#include <cstdint>

#include "game/Game.h"
#include "platform/InputQueue.h"

namespace bench {

class MenuRoute {
public:
    // The actions in route order; a route stops after the one it is given.
    enum Action { kOpenProfiles, kPickFirstSlot, kNamePlayer, kNewGame };
    // Frames after each action: the menu's boards fade and slide.
    static constexpr int kSettleFrames = 30;
    static constexpr uint16_t kEnterKey = 13;
    static constexpr const char16_t* kPlayerName = u"Ada";

    explicit MenuRoute(Action last) : actionCount_(last + 1) {}

    // Called at the start of each frame's input, `nowMs` on the clock the
    // game runs on: the next action, once the game has settled from the
    // previous one.
    void Drive(const Game& game, int frame, uint32_t nowMs) {
        if (!Settled(game, frame)) return;
        if (actionsDone_ == actionCount_) return;
        switch (actionsDone_++) {
        case kOpenProfiles: Click(game, 960, 540, nowMs); break;
        case kPickFirstSlot: Click(game, 960, 340, nowMs); break;  // empty for a new player
        case kNamePlayer:
            for (const char16_t* c = kPlayerName; *c; ++c) Queue(InputEvent::kKey, 0, *c, 0, nowMs);
            Queue(InputEvent::kKey, kEnterKey, 0, 0, nowMs);
            break;
        case kNewGame: Click(game, 960, 504, nowMs); break;
        default: break;
        }
        nextActionFrame_ = frame + kSettleFrames;
    }

    // Every action made and the game at rest after the last.
    bool Finished(const Game& game, int frame) const {
        return actionsDone_ == actionCount_ && Settled(game, frame);
    }

    // As the window procedure reports one, made at `nowMs`: the pointer
    // moves there, then the left button goes down and up in place.
    static void Click(const Game& game, float designX, float designY, uint32_t nowMs) {
        const Point2i at = game.DesignToWindow({designX, designY});
        UpdateMousePosition(at.x, at.y);
        Queue(InputEvent::kPointer, 0, 0, 0, nowMs);
        for (uint8_t kind : {InputEvent::kPointer, InputEvent::kButtonDown})
            Queue(kind, 0, 0, InputEvent::kLeft, nowMs);
        for (uint8_t kind : {InputEvent::kPointer, InputEvent::kButtonUp})
            Queue(kind, 0, 0, InputEvent::kLeft, nowMs);
    }

private:
    bool Settled(const Game& game, int frame) const { return !game.IsFading() && frame >= nextActionFrame_; }

    static void Queue(uint8_t kind, uint16_t virtualKey, uint16_t character, uint8_t button, uint32_t nowMs) {
        InputQueue::Global().Push(kind, virtualKey, character, button, 0, nowMs);
    }

    int actionCount_;
    int actionsDone_ = 0;
    int nextActionFrame_ = 0;
};

}  // namespace bench
