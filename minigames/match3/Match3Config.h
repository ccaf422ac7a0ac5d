#pragma once
// The configuration of match-three: background, tile types with their
// collection stacks, and the board's size, origin and spacing, all from one
// XML file under "MiniGames/Match3/".

#include <cstdint>
#include <string>
#include <vector>

class TiXmlDocument;

struct Match3TileType {
    std::string file;  // colour image "<file>.cbi", grey image "<file>grey.cbi"
    float stackPosX = 0.0f;
    float stackPosY = 0.0f;
    float stackStepX = 0.0f;
    float stackStepY = 0.0f;
};

struct Match3Config {
    // One type refills lines forever; two is the fewest that can settle.
    static constexpr size_t kMinTileTypes = 2;
    // Each type loads two images and owns a stack of as many slots as its
    // rank, so the stacks grow with the square of the types.
    static constexpr size_t kMaxTileTypes = 32;
    // A side larger than this is far beyond any screen and would make the
    // settle and the move search slow; the board stays a few thousand cells.
    static constexpr int32_t kMaxBoardSide = 64;
    // Positions and spacings beyond this are far off any screen; the limit
    // keeps cell centres (offset + spacing × cell, five rows above the top
    // for new tiles) inside 32 bits and exact as floats.
    static constexpr int32_t kMaxCoordinate = 100000;

    std::string background;  // "<background>.cbi"
    std::vector<Match3TileType> types;
    int32_t countX = 0, countY = 0;  // columns and rows
    int32_t offX = 0, offY = 0;      // centre of cell (0, 0)
    int32_t spcX = 0, spcY = 0;      // distance between neighbouring centres
};

// Null when the file gives a playable, finite game, else why not. A board on
// which no swap can ever make a line is refused: it would clear forever.
const char* ReadMatch3Config(const TiXmlDocument& file, Match3Config& config);
// The checks the reader ends with, for a configuration put together in code.
const char* CheckMatch3Config(const Match3Config& config);
