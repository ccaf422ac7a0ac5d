#include "game/functions/SystemFunctions.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/Game.h"
#include "platform/Loca.h"
#include "platform/RefObj.h"
#include "platform/os/Launch.h"
#include "platform/os/Random.h"
#include "script/runtime/values/VarUnicode.h"
#include "script/runtime/values/t_Named.h"

namespace SystemFunctions {

namespace {

constexpr const char* kMemberXRes = "xres";
constexpr const char* kMemberYRes = "yres";
constexpr int kDesktopPlatform = 0;

DesktopOpener desktopOpener = &os::OpenWithDesktop;

}  // namespace

bool Never() { return false; }

void Nothing() {}

void ShowURL(const char* target) {
    if (!target || !*target) return;
    desktopOpener(target);
}

void SetDesktopOpener(DesktopOpener opener) { desktopOpener = opener ? opener : &os::OpenWithDesktop; }

int Random(int n) {
    if (n == 0) return 0;
    // The magnitude of n, so the remainder keeps the non-negative draw's sign
    // and INT_MIN cannot trap.
    const int64_t divisor = std::llabs(static_cast<int64_t>(n));
    return static_cast<int>(os::Rand() % divisor);
}

float GetGameTime() {
    const Game* game = Game::Current();
    return game ? static_cast<float>(game->totalTime) : 0.0f;
}

Vrel::Var GetScreenRes() {
    const Game* game = Game::Current();
    const Point2i size = game ? game->screenSize : Point2i{};
    halvo::AutoRef<Vrel::t_Named> resolution(new Vrel::t_Named);
    resolution->GetOrAddMember(kMemberXRes)->SetFloat(static_cast<float>(size.x));
    resolution->GetOrAddMember(kMemberYRes)->SetFloat(static_cast<float>(size.y));
    return Vrel::Var(static_cast<Vrel::VarExtension*>(resolution.Get()));
}

float Power(float base, float exponent) {
    return static_cast<float>(std::pow(static_cast<double>(base), static_cast<double>(exponent)));
}

Vrel::Var GetLocaText(const char* key) {
    if (!key) return Vrel::Var();
    std::u16string text;
    Loca::Global().Translate(key, text);
    std::vector<char16_t> units(text.begin(), text.end());
    units.push_back(0);
    return Vrel::Var(static_cast<Vrel::VarExtension*>(new Vrel::VarUnicode(units)));
}

int GetPlatform() { return kDesktopPlatform; }

void LogTime(const char*) {}

}  // namespace SystemFunctions
