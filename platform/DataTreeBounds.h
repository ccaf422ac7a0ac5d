#pragma once
// The bounds of a saved file the data tree reads: the parser's time and
// memory grow with a file's markup, so the markup is counted in one cheap
// pass before the parser sees it. Changes to the tree, the documents read
// (as a save would write them back) and saves are checked against the same
// bounds (DataTreeTally.h), so that nothing the game writes is refused at
// its next start.

#include "platform/DataTree.h"
#include "platform/SavedFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace DataTree {

// The parser holds a file's bytes about three times over while it reads them.
inline constexpr size_t kMaxFileSize = SavedFile::kMaxSize;
// A few hundred elements per file in a long game (a scene state and a few
// hotspot settings per scene, an inventory per character). Comments, runs
// of text and other markup a hand-edited file may hold count too: each
// costs the parser a node as an element does.
inline constexpr int64_t kMaxElements = 50000;
// One attribute per object of a scene, item of an inventory or value a
// script keeps: a few dozen, at most a few hundred on one element.
inline constexpr int64_t kMaxAttributesPerElement = 1000;
// All attributes of a file: some thousands in a long game.
inline constexpr int64_t kMaxAttributes = 100000;
// The parser looks each attribute up among those before it on its element,
// so an element of n attributes costs n(n-1)/2 look-ups (up to some 60 ns
// each, for long names alike): a long game's files take about a hundred
// thousand in all.
inline constexpr int64_t kMaxAttributeLookups = 2000000;
// A path names at most kMaxSegments elements, starting four levels down
// at the deepest (a profile's settings), so the game writes no deeper than
// kMaxSegments + 3. An element that closes itself is a level as one
// holding others is.
inline constexpr int kMaxDepth = 2 * kMaxSegments;

// Empty when the text lies within every bound and holds markup only as the
// parser reads it; otherwise which bound it passes or what it holds that
// the game never writes. The text ends at its first zero byte, as the
// parser reads it.
std::string CheckBounds(std::string_view text);

}  // namespace DataTree
