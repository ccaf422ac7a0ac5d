#pragma once
// The configuration of repeat-the-sequence: the background, the buttons in
// file order and the first and last sequence lengths. The screen puts the
// two lengths from the data tree in first; ReadSensoConfig adds the file.

#include <cstdint>
#include <string>
#include <vector>

class TiXmlDocument;

struct SensoButton {
    std::string image;  // name under "MiniGames/Abfolge/", without ".cbi"
    int32_t x = 0;      // centre in the game's coordinates
    int32_t y = 0;
};

struct SensoConfig {
    // Each button is an image loaded and drawn every frame; a panel of more
    // buttons than this is a broken file, not a design.
    static constexpr size_t kMaxButtons = 64;
    // Longer sequences cannot be repeated by a player; the limit also keeps
    // the sequence's allocation small whatever the data tree says.
    static constexpr int32_t kMaxLength = 1000;
    // Button centres beyond this are far off any screen; the limit keeps the
    // hit test's sums inside 32 bits.
    static constexpr int32_t kMaxCoordinate = 1000000;

    std::string background;  // name under "MiniGames/Abfolge/", without ".cbi"
    std::vector<SensoButton> buttons;
    int32_t minLength = 0;  // "MinBlinkCnt": length of the first sequence
    int32_t maxLength = 0;  // "MaxBlinkCnt": length of the last sequence
};

// Null when the file and the lengths give a playable game, else why not.
// A first length below 1 becomes 1.
const char* ReadSensoConfig(const TiXmlDocument& file, SensoConfig& config);
