#pragma once
// The one step of the jigsaw that needs the picture's pixels: a piece's own
// picture, cut out of the whole by the mask. The screen calls it once per
// piece after building the rules and turns each result into an image; the
// picture's buffer can be released afterwards.

#include "minigames/puzzle/PuzzleConfig.h"
#include "minigames/puzzle/PuzzleRules.h"

#include <cstdint>
#include <vector>

// The piece's box as 32-bit pixels in the picture's byte order, row after
// row: the picture's pixel where the mask holds the piece's id, else 0
// (transparent black). The picture must be the one the config was read with.
std::vector<uint8_t> CutPuzzleTile(const PuzzleImage& picture, const PuzzleConfig& config,
                                    const PuzzleTile& piece);
