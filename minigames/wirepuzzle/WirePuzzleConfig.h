#pragma once
// What the wire puzzle reads from its XML file: the board picture, the
// click polygons, the places (some with a stone plate and its side colours)
// and the connections with their wire pictures. Pictures stay names here;
// the screen loads them once the whole has been checked.

#include <tinyxml.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct WirePoint {
    float x = 0, y = 0;
};

// A place on the board; its label is its key in the configuration's map.
struct WirePlace {
    std::string hotspotName;
    WirePoint position;
};

// A plate as defined under its home place.
struct WireTileConfig {
    std::string homePlace;
    std::string file;
    bool fixed = false;
    WirePoint position;  // of its own element, even if a later one replaces the place
    // Colour by side index; sides the file leaves out hold the empty text.
    std::vector<std::string> sides;
};

struct WireImageConfig {
    std::string file;
    WirePoint position;
    float angle = 0;  // degrees about the screen normal
    bool coloured = false;
    std::string colour;  // shown for this colour only, when `coloured`
};

struct WireConnectionConfig {
    std::string fromPlace, toPlace;
    int32_t fromSide = 0, toSide = 0;
    std::vector<WireImageConfig> images;  // in file order; a later one of a colour wins
};

struct WirePuzzleConfig {
    // Side indices grow the colour list to index + 1; sixty-four sides is
    // far beyond any plate that can be told apart when turned.
    static constexpr int32_t kMaxSides = 64;
    // Places, plates and connections: a board picture holds a dozen or two;
    // these keep the scramble's and the self-play's work small.
    static constexpr int32_t kMaxPlaces = 64;
    static constexpr int32_t kMaxConnections = 256;
    // Wire pictures per connection: one per colour and a default.
    static constexpr int32_t kMaxImagesPerConnection = 64;
    // Polygons: four times the places. Points per polygon: a click tests
    // every place's, and outlines drawn on a board picture take tens or
    // hundreds; 100,000 is some 3 MB of XML, which no board carries.
    static constexpr int32_t kMaxHotspots = 256;
    static constexpr int32_t kMaxPoints = 100'000;
    // Positions stay within a few design areas.
    static constexpr float kMaxCoordinate = 16384.0f;

    std::string background;
    std::map<std::string, std::vector<WirePoint>> hotspots;  // by label; a later one replaces
    std::map<std::string, WirePlace> places;  // by label, byte-wise order; a later one replaces
    std::vector<WireTileConfig> tiles;        // in file order
    std::vector<WireConnectionConfig> connections;
    // A refusal spelt from the file (naming the tile, place, hotspot or
    // connection it is about, as an author can search for them); the
    // reader's answer then points here.
    std::string refusal;
};

// Fills `config` from the file: null when it gives a playable, finite game,
// else why not (the config is then partly filled and must not be used).
const char* ReadWirePuzzleConfig(const TiXmlDocument& file, WirePuzzleConfig& config);
