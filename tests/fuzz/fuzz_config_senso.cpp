// Repeat-the-sequence configurations from arbitrary bytes: the first two
// bytes stand for the data tree's first and last lengths (signed), the rest
// is the XML file. A refused file must say why; an accepted one must build
// rules that play themselves to the win under autoplay, with every button
// index inside the panel and every highlight inside 0..1.

#include "minigames/senso/SensoRules.h"
#include "platform/XmlUtil.h"
#include "platform/os/Random.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Steps tried per input; longer games are played only this far.
constexpr int32_t kMaxSteps = 20000;

void Check(bool holds) {
    if (!holds) std::abort();
}

// Intro, pause, playback and autoplay of every length from first to last.
int64_t StepsToWin(int32_t minLength, int32_t maxLength) {
    int64_t steps = 0;
    for (int64_t n = minLength; n <= std::max(minLength, maxLength); ++n) steps += 88 + 45 + 60 * n + 1;
    return steps;
}

void Play(const SensoConfig& config) {
    SensoRules rules(config);
    Check(rules.IsReady());
    const int32_t buttons = rules.GetButtonCount();
    int32_t steps = 0;
    for (; steps < kMaxSteps && !rules.IsWon(); ++steps) {
        rules.Step(true);
        const std::vector<int32_t>& sequence = rules.GetSequence();
        Check(!sequence.empty() && rules.GetPosition() >= 0 && rules.GetPosition() <= int32_t(sequence.size()));
        for (int32_t b : sequence) Check(b >= 0 && b < buttons);
        for (int32_t b = 0; b < buttons; ++b) {
            const float h = rules.GetHighlight(b);
            Check(std::isfinite(h) && h >= -1e-6f && h <= 1.0f + 1e-6f);
        }
    }
    if (StepsToWin(config.minLength, config.maxLength) <= kMaxSteps) Check(rules.IsWon());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    SensoConfig config;
    config.minLength = static_cast<int8_t>(data[0]);
    config.maxLength = static_cast<int8_t>(data[1]);
    std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    TiXmlDocument file;
    if (!XmlParseText(file, text.data())) return 0;
    const char* why = ReadSensoConfig(file, config);
    if (why) {
        Check(*why != 0);
        return 0;
    }
    Check(!config.buttons.empty() && config.buttons.size() <= SensoConfig::kMaxButtons);
    Check(config.minLength >= 1);
    os::SeedRand(uint32_t(size));
    Play(config);
    return 0;
}
