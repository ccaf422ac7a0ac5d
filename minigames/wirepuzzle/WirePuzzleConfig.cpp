#include "minigames/wirepuzzle/WirePuzzleConfig.h"

#include "platform/XmlUtil.h"

#include <cmath>
#include <string>

namespace {

bool ReadName(const TiXmlElement* element, const char* attribute, std::string& name) {
    const char* value = XmlGetAttributeString(element, attribute);
    if (!value) return false;
    name = value;
    return true;
}

bool Sane(float v) { return std::fabs(v) <= WirePuzzleConfig::kMaxCoordinate; }  // false for NaN

// Null when both coordinates are sane numbers.
const char* ReadPosition(const TiXmlElement* element, const char* xName, const char* yName, WirePoint& point) {
    point = {XmlGetAttributeFloat(element, xName), XmlGetAttributeFloat(element, yName)};
    return Sane(point.x) && Sane(point.y) ? nullptr : "a position is not a sane number";
}

// Every element `name` under every element `group` of the root, in order.
template <typename Read>
const char* ReadEach(const TiXmlElement* root, const char* group, const char* name, Read read) {
    for (const TiXmlElement* g = root->FirstChildElement(group); g; g = g->NextSiblingElement(group)) {
        for (const TiXmlElement* e = g->FirstChildElement(name); e; e = e->NextSiblingElement(name)) {
            if (const char* why = read(e)) return why;
        }
    }
    return nullptr;
}

// Spelt from the bound itself, so that the refusal still names it after
// the bound moves.
const char* TooManyPoints() {
    static const std::string reason =
        "a hotspot has over " + std::to_string(WirePuzzleConfig::kMaxPoints) + " points";
    return reason.c_str();
}

const char* ReadHotspot(const TiXmlElement* element, WirePuzzleConfig& config) {
    std::string label;
    if (!ReadName(element, "label", label)) return "a hotspot has no label";
    std::vector<WirePoint> points;
    for (const TiXmlElement* p = element->FirstChildElement("point"); p; p = p->NextSiblingElement("point")) {
        if (static_cast<int32_t>(points.size()) >= WirePuzzleConfig::kMaxPoints) return TooManyPoints();
        WirePoint point;
        if (const char* why = ReadPosition(p, "x", "y", point)) return why;
        points.push_back(point);
    }
    config.hotspots[label] = std::move(points);
    if (static_cast<int32_t>(config.hotspots.size()) > WirePuzzleConfig::kMaxHotspots) return "over 256 hotspots";
    return nullptr;
}

// A tile is told by its label, or by its number in the file (from 1)
// when it has none.
const char* RefuseTile(WirePuzzleConfig& config, const std::string& label, int32_t number,
                       const char* what) {
    const std::string tile = label.empty() ? std::to_string(number) : "'" + label + "'";
    config.refusal = "tile " + tile + " " + what;
    return config.refusal.c_str();
}

const char* ReadSides(const TiXmlElement* element, WireTileConfig& tile, WirePuzzleConfig& config,
                      int32_t number) {
    for (const TiXmlElement* s = element->FirstChildElement("side"); s; s = s->NextSiblingElement("side")) {
        const int32_t index = XmlGetAttributeInt(s, "index");
        if (index < 0 || index >= WirePuzzleConfig::kMaxSides) return "a side index is not 0 to 63";
        std::string colour;
        if (!ReadName(s, "color", colour)) {
            return RefuseTile(config, tile.homePlace, number, "has a side without color");
        }
        if (static_cast<int32_t>(tile.sides.size()) <= index) tile.sides.resize(index + 1);
        tile.sides[index] = colour;
    }
    return nullptr;
}

const char* ReadTile(const TiXmlElement* element, WirePuzzleConfig& config, int32_t number) {
    std::string label;
    WirePlace place;
    const bool hasLabel = ReadName(element, "label", label);
    const bool hasHotspot = ReadName(element, "hotspot", place.hotspotName);
    if (!hasLabel) {
        return RefuseTile(config, "", number, hasHotspot ? "has no label" : "has no label and no hotspot");
    }
    if (!hasHotspot) return RefuseTile(config, label, number, "has no hotspot");
    if (const char* why = ReadPosition(element, "posx", "posy", place.position)) return why;
    config.places[label] = place;
    if (static_cast<int32_t>(config.places.size()) > WirePuzzleConfig::kMaxPlaces) return "over 64 places";
    if (!element->FirstChildElement("side")) return nullptr;
    WireTileConfig tile;
    tile.homePlace = label;
    tile.position = place.position;
    if (!ReadName(element, "file", tile.file)) return RefuseTile(config, label, number, "has sides and no file");
    tile.fixed = XmlGetAttributeInt(element, "fixed") != 0;
    if (const char* why = ReadSides(element, tile, config, number)) return why;
    // Two plates could never both be at home: the self-play would shuttle.
    for (const WireTileConfig& other : config.tiles) {
        if (other.homePlace == label) return "two plates share a home place";
    }
    config.tiles.push_back(std::move(tile));
    return nullptr;
}

const char* ReadEnd(const TiXmlElement* connection, const char* name, std::string& place, int32_t& side) {
    const TiXmlElement* end = connection->FirstChildElement(name);
    if (!ReadName(end, "tile", place)) return "a connection lacks from or to, or its tile";
    side = XmlGetAttributeInt(end, "sideindex");
    return nullptr;
}

const char* ReadConnection(const TiXmlElement* element, WirePuzzleConfig& config) {
    WireConnectionConfig connection;
    if (const char* why = ReadEnd(element, "from", connection.fromPlace, connection.fromSide)) return why;
    if (const char* why = ReadEnd(element, "to", connection.toPlace, connection.toSide)) return why;
    for (const TiXmlElement* i = element->FirstChildElement("image"); i; i = i->NextSiblingElement("image")) {
        if (static_cast<int32_t>(connection.images.size()) >= WirePuzzleConfig::kMaxImagesPerConnection) {
            return "a connection has over 64 images";
        }
        WireImageConfig image;
        if (!ReadName(i, "file", image.file)) return "a wire image has no file";
        if (const char* why = ReadPosition(i, "posx", "posy", image.position)) return why;
        image.angle = XmlGetAttributeFloat(i, "angle");
        if (!std::isfinite(image.angle)) return "a wire angle is not a number";
        image.coloured = ReadName(i, "color", image.colour);
        connection.images.push_back(std::move(image));
    }
    if (static_cast<int32_t>(config.connections.size()) >= WirePuzzleConfig::kMaxConnections) {
        return "over 256 connections";
    }
    config.connections.push_back(std::move(connection));
    return nullptr;
}

// The plate at home on the place, or null.
const WireTileConfig* PlateAtHome(const WirePuzzleConfig& config, const std::string& place) {
    for (const WireTileConfig& tile : config.tiles) {
        if (tile.homePlace == place) return &tile;
    }
    return nullptr;
}

// A polygon of fewer than three points encloses nothing: no click finds it.
bool IsClickable(const WirePuzzleConfig& config, const WirePlace& place) {
    const auto polygon = config.hotspots.find(place.hotspotName);
    return polygon != config.hotspots.end() && polygon->second.size() >= 3;
}

// The scramble swaps plates that move among their homes, so every such
// home must take clicks, and a swapped plate goes home only through a free
// place that a drop can reach. A fixed plate and a free place may lie where
// no click comes.
const char* CheckClickable(const WirePuzzleConfig& config) {
    int32_t movable = 0;
    bool anyFree = false, anyClickableFree = false;
    for (const auto& [label, place] : config.places) {
        const WireTileConfig* plate = PlateAtHome(config, label);
        const bool clickable = IsClickable(config, place);
        if (plate && !plate->fixed && !clickable) return "a place with a plate that moves has no hotspot polygon";
        movable += plate && !plate->fixed;
        anyFree = anyFree || !plate;
        anyClickableFree = anyClickableFree || (!plate && clickable);
    }
    if (movable >= 2 && anyFree && !anyClickableFree) return "no free place has a hotspot polygon";
    return nullptr;
}

const char* CheckWhole(const WirePuzzleConfig& config) {
    if (config.tiles.empty()) return "no plate";
    if (config.connections.empty()) return "no connection";
    for (const WireConnectionConfig& connection : config.connections) {
        if (!PlateAtHome(config, connection.fromPlace) || !PlateAtHome(config, connection.toPlace)) {
            return "a connection names a place without a plate";
        }
    }
    return CheckClickable(config);
}

}  // namespace

const char* ReadWirePuzzleConfig(const TiXmlDocument& file, WirePuzzleConfig& config) {
    const TiXmlElement* root = file.FirstChildElement();
    if (!root) return "the file has no root element";
    if (!ReadName(root->FirstChildElement("background"), "file", config.background)) return "no background file";
    if (const char* why = ReadEach(root, "hotspots", "hotspot",
                                   [&](const TiXmlElement* e) { return ReadHotspot(e, config); })) {
        return why;
    }
    int32_t tileNumber = 0;
    if (const char* why = ReadEach(root, "tiles", "tile",
                                   [&](const TiXmlElement* e) { return ReadTile(e, config, ++tileNumber); })) {
        return why;
    }
    if (const char* why = ReadEach(root, "connections", "connection",
                                   [&](const TiXmlElement* e) { return ReadConnection(e, config); })) {
        return why;
    }
    return CheckWhole(config);
}
