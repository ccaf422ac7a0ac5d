#pragma once
// What the pipe game reads from its XML file: the liquid colours, the kinds
// of plain piece, the inlets and outlets and the board's size and placement.
// Pictures stay names here; the screen loads them once the whole has been
// checked, and the rules see only openings, cells and counts.

#include <tinyxml.h>

#include <cstdint>
#include <string>
#include <vector>

// Sides are numbered 0 up, 1 right, 2 down, 3 left.
inline constexpr int kPipesSides = 4;

// One kind of piece as drawn unturned.
struct PipesTypeInfo {
    // Per side: 0 closed, else the channel (1 or 2) that opens there.
    int32_t openings[kPipesSides] = {0, 0, 0, 0};
    std::string baseFile;
    std::string maskFile1;  // empty when an inlet or outlet gives none
    std::string maskFile2;  // plain pieces only
};

// An inlet or an outlet: its picture and opening, where it sits and, for an
// inlet, where it is drawn and which board cell it pours into.
struct PipesPort {
    PipesTypeInfo type;
    int32_t cellX = 0, cellY = 0;
    int32_t rotation = 0;  // quarter turns clockwise, 0..3
    float offsetX = 0, offsetY = 0;
    int32_t accessX = 0, accessY = 0;
};

struct PipesColour {
    uint8_t red = 0, green = 0, blue = 0;
};

struct PipesConfig {
    // A 1920-wide design area shows about thirty readable pieces across;
    // deeper boards would only deepen the flow's and the generator's
    // recursion (four entries per cell).
    static constexpr int32_t kMaxBoardSide = 32;
    // Two channel numbers per piece and four sides give 81 opening patterns;
    // more kinds than this add nothing but work for the generator's shuffle.
    static constexpr int32_t kMaxPlainTypes = 128;
    // One inlet per border cell of the largest board.
    static constexpr int32_t kMaxPorts = 4 * kMaxBoardSide;
    // Colour indices are signed bytes and 127 marks the generator's probe,
    // so at most 127 colours can be in play at once.
    static constexpr int32_t kMaxColoursInPlay = 127;
    // Inlets sit at the board's edge; a few cells of slack leave room for a
    // frame, further out they would leave any background.
    static constexpr int32_t kMaxInletReach = 4;
    // Cell centres and offsets stay within a few design areas, so that
    // centre arithmetic in integers cannot overflow.
    static constexpr int32_t kMaxCoordinate = 16384;
    static constexpr int32_t kMaxSpacing = 1024;

    std::string background;
    std::vector<PipesColour> colours;
    std::vector<PipesTypeInfo> tiles;
    std::vector<PipesPort> inlets;
    std::vector<PipesPort> outlets;
    int32_t countX = 0, countY = 0;
    int32_t offX = 0, offY = 0;
    int32_t spcX = 0, spcY = 0;
};

// Fills `config` from the file: null when it gives a playable, finite game,
// else why not (the config is then partly filled and must not be used).
const char* ReadPipesConfig(const TiXmlDocument& file, PipesConfig& config);
