#include "game/functions/FadeFunctions.h"

#include <cmath>

#include "game/Game.h"
#include "script/runtime/execution/Thread.h"

namespace FadeFunctions {

namespace {

constexpr double kMsPerSecond = 1000.0;

enum FadeDirection { kToPicture = 0, kToBlack = 1 };

// Level change per second over `seconds`; a fade of no length, or of a
// length that is no number, stands still rather than jump or poison the level.
float SpeedOver(float seconds, FadeDirection direction) {
    if (seconds == 0 || !std::isfinite(seconds)) return 0.0f;
    const float speed = 1.0f / seconds;
    return direction == kToBlack ? speed : -speed;
}

void FadeWaiting(Vrel::t_Interface& call, FadeDirection direction) {
    Game* game = Game::Current();
    if (!game) return;
    const float seconds = game->defaultFadeTime;
    game->fadeSpeed = SpeedOver(seconds, direction);
    if (call.thread) call.thread->Sleep(static_cast<float>(seconds * kMsPerSecond));
}

}  // namespace

float Fade(int direction, float seconds) {
    Game* game = Game::Current();
    if (!game) return 0.0f;
    const float used = seconds == 0 ? game->defaultFadeTime : seconds;
    game->fadeSpeed = SpeedOver(used, direction != 0 ? kToBlack : kToPicture);
    return used;
}

void FadeOut(Vrel::t_Interface& call) { FadeWaiting(call, kToBlack); }

void FadeIn(Vrel::t_Interface& call) { FadeWaiting(call, kToPicture); }

}  // namespace FadeFunctions
