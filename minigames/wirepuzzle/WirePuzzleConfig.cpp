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

// True when both coordinates are sane numbers.
bool ReadPosition(const TiXmlElement* element, const char* xName, const char* yName, WirePoint& point) {
    point = {XmlGetAttributeFloat(element, xName), XmlGetAttributeFloat(element, yName)};
    return Sane(point.x) && Sane(point.y);
}

constexpr const char* kNotSane = "is not a sane number";

// A refusal that names what an author can search the file for.
const char* Refuse(WirePuzzleConfig& config, const std::string& text) {
    config.refusal = text;
    return config.refusal.c_str();
}

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

// Every element `name` under every element `group` of the root, in order,
// with its number among them counting from 1.
template <typename Read>
const char* ReadEach(const TiXmlElement* root, const char* group, const char* name, Read read) {
    int32_t number = 0;
    for (const TiXmlElement* g = root->FirstChildElement(group); g; g = g->NextSiblingElement(group)) {
        for (const TiXmlElement* e = g->FirstChildElement(name); e; e = e->NextSiblingElement(name)) {
            if (const char* why = read(e, ++number)) return why;
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

// A hotspot without a label is told by its number in the file (from 1),
// as a tile is.
const char* ReadHotspot(const TiXmlElement* element, WirePuzzleConfig& config, int32_t number) {
    std::string label;
    if (!ReadName(element, "label", label)) {
        return Refuse(config, "hotspot " + std::to_string(number) + " has no label");
    }
    std::vector<WirePoint> points;
    for (const TiXmlElement* p = element->FirstChildElement("point"); p; p = p->NextSiblingElement("point")) {
        if (static_cast<int32_t>(points.size()) >= WirePuzzleConfig::kMaxPoints) return TooManyPoints();
        WirePoint point;
        if (!ReadPosition(p, "x", "y", point)) {
            return Refuse(config, "hotspot " + Quoted(label) + " has a point that " + kNotSane);
        }
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
    const std::string tile = label.empty() ? std::to_string(number) : Quoted(label);
    return Refuse(config, "tile " + tile + " " + what);
}

const char* ReadSides(const TiXmlElement* element, WireTileConfig& tile, WirePuzzleConfig& config,
                      int32_t number) {
    for (const TiXmlElement* s = element->FirstChildElement("side"); s; s = s->NextSiblingElement("side")) {
        const int32_t index = XmlGetAttributeInt(s, "index");
        if (index < 0 || index >= WirePuzzleConfig::kMaxSides) {
            const std::string what = "has side index " + std::to_string(index) + ", not 0 to " +
                                     std::to_string(WirePuzzleConfig::kMaxSides - 1);
            return RefuseTile(config, tile.homePlace, number, what.c_str());
        }
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
    if (!ReadPosition(element, "posx", "posy", place.position)) {
        return RefuseTile(config, label, number, (std::string("has a position that ") + kNotSane).c_str());
    }
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
        if (other.homePlace == label) return Refuse(config, "two plates share the home place " + Quoted(label));
    }
    config.tiles.push_back(std::move(tile));
    return nullptr;
}

// Connections have no label: one is told by its number in the file,
// counting from 1.
const char* RefuseConnection(WirePuzzleConfig& config, int32_t number, const std::string& what) {
    return Refuse(config, "connection " + std::to_string(number) + " " + what);
}

const char* ReadEnd(const TiXmlElement* connection, const char* name, std::string& place, int32_t& side,
                    WirePuzzleConfig& config, int32_t number) {
    const TiXmlElement* end = connection->FirstChildElement(name);
    if (!end) return RefuseConnection(config, number, std::string("has no ") + name);
    if (!ReadName(end, "tile", place)) {
        return RefuseConnection(config, number, std::string("has a ") + name + " without tile");
    }
    side = XmlGetAttributeInt(end, "sideindex");
    return nullptr;
}

const char* ReadConnection(const TiXmlElement* element, WirePuzzleConfig& config, int32_t number) {
    WireConnectionConfig connection;
    if (const char* why = ReadEnd(element, "from", connection.fromPlace, connection.fromSide, config, number)) {
        return why;
    }
    if (const char* why = ReadEnd(element, "to", connection.toPlace, connection.toSide, config, number)) return why;
    for (const TiXmlElement* i = element->FirstChildElement("image"); i; i = i->NextSiblingElement("image")) {
        if (static_cast<int32_t>(connection.images.size()) >= WirePuzzleConfig::kMaxImagesPerConnection) {
            return "a connection has over 64 images";
        }
        WireImageConfig image;
        if (!ReadName(i, "file", image.file)) return RefuseConnection(config, number, "has an image without file");
        if (!ReadPosition(i, "posx", "posy", image.position)) {
            return RefuseConnection(config, number,
                                    "has an image " + Quoted(image.file) + " whose position " + kNotSane);
        }
        image.angle = XmlGetAttributeFloat(i, "angle");
        if (!std::isfinite(image.angle)) {
            return RefuseConnection(config, number,
                                    "has an image " + Quoted(image.file) + " whose angle is not a number");
        }
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
constexpr size_t kMinPolygonPoints = 3;

bool IsClickable(const WirePuzzleConfig& config, const WirePlace& place) {
    const auto polygon = config.hotspots.find(place.hotspotName);
    return polygon != config.hotspots.end() && polygon->second.size() >= kMinPolygonPoints;
}

// Names the place and the hotspot it names, and whether that hotspot is
// missing or too small to click.
const char* RefuseUnclickable(WirePuzzleConfig& config, const std::string& label, const WirePlace& place) {
    const bool named = config.hotspots.count(place.hotspotName) != 0;
    const std::string why =
        named ? "has fewer than " + std::to_string(kMinPolygonPoints) + " points" : "is not among the hotspots";
    return Refuse(config, "place " + Quoted(label) + " has a plate that moves and its hotspot " +
                              Quoted(place.hotspotName) + " " + why);
}

// The scramble swaps plates that move among their homes, so every such
// home must take clicks, and a swapped plate goes home only through a free
// place that a drop can reach. A fixed plate and a free place may lie where
// no click comes.
const char* CheckClickable(WirePuzzleConfig& config) {
    int32_t movable = 0;
    bool anyFree = false, anyClickableFree = false;
    for (const auto& [label, place] : config.places) {
        const WireTileConfig* plate = PlateAtHome(config, label);
        const bool clickable = IsClickable(config, place);
        if (plate && !plate->fixed && !clickable) return RefuseUnclickable(config, label, place);
        movable += plate && !plate->fixed;
        anyFree = anyFree || !plate;
        anyClickableFree = anyClickableFree || (!plate && clickable);
    }
    if (movable >= 2 && anyFree && !anyClickableFree) return "no free place has a hotspot polygon";
    return nullptr;
}

// Null when the place holds a plate at home; else why not, for a refusal.
const char* MissingPlate(const WirePuzzleConfig& config, const std::string& place) {
    if (PlateAtHome(config, place)) return nullptr;
    return config.places.count(place) ? "which has no plate" : "which is no place";
}

const char* CheckWhole(WirePuzzleConfig& config) {
    if (config.tiles.empty()) return "no plate";
    if (config.connections.empty()) return "no connection";
    int32_t number = 0;
    for (const WireConnectionConfig& connection : config.connections) {
        ++number;
        for (const std::string* end : {&connection.fromPlace, &connection.toPlace}) {
            if (const char* why = MissingPlate(config, *end)) {
                return RefuseConnection(config, number, "names " + Quoted(*end) + ", " + why);
            }
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
                                   [&](const TiXmlElement* e, int32_t n) { return ReadHotspot(e, config, n); })) {
        return why;
    }
    if (const char* why = ReadEach(root, "tiles", "tile",
                                   [&](const TiXmlElement* e, int32_t n) { return ReadTile(e, config, n); })) {
        return why;
    }
    if (const char* why = ReadEach(root, "connections", "connection", [&](const TiXmlElement* e, int32_t n) {
            return ReadConnection(e, config, n);
        })) {
        return why;
    }
    return CheckWhole(config);
}
