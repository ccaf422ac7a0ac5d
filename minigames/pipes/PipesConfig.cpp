#include "minigames/pipes/PipesConfig.h"

#include "minigames/ConfigXml.h"
#include "platform/XmlUtil.h"

#include <algorithm>
#include <cmath>

namespace {

bool ReadName(const TiXmlElement* element, const char* attribute, std::string& name) {
    const char* value = XmlGetAttributeString(element, attribute);
    if (!value) return false;
    name = value;
    return true;
}

int32_t OpenSideCount(const PipesTypeInfo& type) {
    return static_cast<int32_t>(std::count_if(std::begin(type.openings), std::end(type.openings),
                                              [](int32_t n) { return n != 0; }));
}

int32_t FirstOpenSide(const PipesTypeInfo& type) {
    for (int side = 0; side < kPipesSides; ++side) {
        if (type.openings[side] != 0) return side;
    }
    return -1;
}

// Null when every side names channel 0, 1 or 2.
const char* ReadOpenings(const TiXmlElement* element, PipesTypeInfo& type) {
    static const char* const kSideNames[kPipesSides] = {"up", "right", "down", "left"};
    for (int side = 0; side < kPipesSides; ++side) {
        const int32_t channel = XmlGetAttributeInt(element, kSideNames[side]);
        if (channel < 0 || channel > 2) return "a side names a channel other than 0, 1 or 2";
        type.openings[side] = channel;
    }
    return nullptr;
}

const char* ReadTile(const TiXmlElement* element, PipesConfig& config) {
    PipesTypeInfo type;
    if (!ReadName(element, "basefile", type.baseFile) || !ReadName(element, "colormask1", type.maskFile1) ||
        !ReadName(element, "colormask2", type.maskFile2)) {
        return "a tile lacks basefile, colormask1 or colormask2";
    }
    if (const char* why = ReadOpenings(element, type)) return why;
    config.tiles.push_back(type);
    return nullptr;
}

int32_t QuarterTurns(int32_t direction) { return ((direction % 4) + 4) % 4; }

const char* ReadPort(const TiXmlElement* element, bool isInlet, PipesConfig& config) {
    PipesPort port;
    if (!ReadName(element, "basefile", port.type.baseFile)) return "an inlet or outlet lacks basefile";
    ReadName(element, "colormask1", port.type.maskFile1);
    if (const char* why = ReadOpenings(element, port.type)) return why;
    if (OpenSideCount(port.type) != 1) return "an inlet or outlet does not open on exactly one side";
    port.cellX = XmlGetAttributeInt(element, "fieldx");
    port.cellY = XmlGetAttributeInt(element, "fieldy");
    port.rotation = QuarterTurns(XmlGetAttributeInt(element, "direction"));
    if (isInlet) {
        port.offsetX = XmlGetAttributeFloat(element, "offsetx");
        port.offsetY = XmlGetAttributeFloat(element, "offsety");
        port.accessX = XmlGetAttributeInt(element, "accx");
        port.accessY = XmlGetAttributeInt(element, "accy");
        config.inlets.push_back(port);
    } else {
        config.outlets.push_back(port);
    }
    return nullptr;
}

// Every element of one name under the root, in document order.
template <typename Read>
const char* ReadEach(const TiXmlElement* root, const char* name, Read read) {
    for (const TiXmlElement* e = root->FirstChildElement(name); e; e = e->NextSiblingElement(name)) {
        if (const char* why = read(e)) return why;
    }
    return nullptr;
}

const char* ReadElements(const TiXmlElement* root, PipesConfig& config) {
    if (!ReadName(root->FirstChildElement("background"), "file", config.background)) {
        return "no background file";
    }
    ReadEach(root, "color", [&](const TiXmlElement* e) -> const char* {
        config.colours.push_back({static_cast<uint8_t>(XmlGetAttributeInt(e, "red")),
                                  static_cast<uint8_t>(XmlGetAttributeInt(e, "green")),
                                  static_cast<uint8_t>(XmlGetAttributeInt(e, "blue"))});
        return nullptr;
    });
    if (const char* why = ReadEach(root, "tile", [&](const TiXmlElement* e) { return ReadTile(e, config); })) {
        return why;
    }
    if (const char* why = ReadEach(root, "inlet", [&](const TiXmlElement* e) { return ReadPort(e, true, config); })) {
        return why;
    }
    if (const char* why = ReadEach(root, "outlet", [&](const TiXmlElement* e) { return ReadPort(e, false, config); })) {
        return why;
    }
    ReadIntPair(root, "tilecount", "countx", "county", config.countX, config.countY);
    ReadIntPair(root, "tileoffset", "offx", "offy", config.offX, config.offY);
    ReadIntPair(root, "tilespacing", "spcx", "spcy", config.spcX, config.spcY);
    return nullptr;
}

bool WithinCoordinates(int32_t v) { return v >= -PipesConfig::kMaxCoordinate && v <= PipesConfig::kMaxCoordinate; }

bool OnBoard(const PipesConfig& config, int32_t x, int32_t y) {
    return x >= 0 && y >= 0 && x < config.countX && y < config.countY;
}

const char* CheckBoard(const PipesConfig& config) {
    const int32_t maxSide = PipesConfig::kMaxBoardSide;
    if (config.countX < 1 || config.countY < 1 || config.countX > maxSide || config.countY > maxSide) {
        return "the board is not 1 to 32 cells a side";
    }
    if (config.spcX < 1 || config.spcY < 1 || config.spcX > PipesConfig::kMaxSpacing ||
        config.spcY > PipesConfig::kMaxSpacing) {
        return "the tile spacing is not 1 to 1024";
    }
    if (!WithinCoordinates(config.offX) || !WithinCoordinates(config.offY)) {
        return "the tile offset lies too far out";
    }
    return nullptr;
}

const char* CheckCounts(const PipesConfig& config) {
    const size_t inlets = config.inlets.size(), outlets = config.outlets.size();
    if (config.tiles.empty()) return "no tile";
    if (config.tiles.size() > static_cast<size_t>(PipesConfig::kMaxPlainTypes)) return "more than 128 tiles";
    if (config.colours.empty()) return "no color";
    if (outlets == 0) return "no outlet";
    if (outlets > inlets) return "more outlets than inlets";
    if (inlets > static_cast<size_t>(PipesConfig::kMaxPorts)) return "more than 128 inlets";
    if (std::min(config.colours.size(), inlets) > static_cast<size_t>(PipesConfig::kMaxColoursInPlay)) {
        return "more than 127 colours in play";
    }
    // Every inlet of a repeated colour would have to reach an outlet of
    // that colour through its one opening: no board can be generated.
    if (inlets > config.colours.size()) return "more inlets than colours";
    return nullptr;
}

bool NearBoard(const PipesConfig& config, int32_t x, int32_t y) {
    const int32_t reach = PipesConfig::kMaxInletReach;
    return x >= -reach && y >= -reach && x < config.countX + reach && y < config.countY + reach;
}

bool SaneOffset(float v) { return std::isfinite(v) && std::fabs(v) <= PipesConfig::kMaxCoordinate; }

const char* CheckPorts(const PipesConfig& config) {
    for (const PipesPort& inlet : config.inlets) {
        if (!OnBoard(config, inlet.accessX, inlet.accessY)) return "an inlet pours into a cell off the board";
        if (!NearBoard(config, inlet.cellX, inlet.cellY)) return "an inlet lies too far from the board";
        if (!SaneOffset(inlet.offsetX) || !SaneOffset(inlet.offsetY)) return "an inlet offset is not a sane number";
    }
    const int32_t outletSide = FirstOpenSide(config.outlets.front().type);
    for (size_t i = 0; i < config.outlets.size(); ++i) {
        const PipesPort& outlet = config.outlets[i];
        if (!OnBoard(config, outlet.cellX, outlet.cellY)) return "an outlet lies off the board";
        // The generator shows one outlet's picture at another's place.
        if (FirstOpenSide(outlet.type) != outletSide) return "the outlets do not all open on the same side";
        for (size_t j = 0; j < i; ++j) {
            if (config.outlets[j].cellX == outlet.cellX && config.outlets[j].cellY == outlet.cellY) {
                return "two outlets share a cell";
            }
        }
    }
    return nullptr;
}

}  // namespace

const char* ReadPipesConfig(const TiXmlDocument& file, PipesConfig& config) {
    const TiXmlElement* root = file.FirstChildElement();
    if (!root) return "the file has no root element";
    if (const char* why = ReadElements(root, config)) return why;
    if (const char* why = CheckBoard(config)) return why;
    if (const char* why = CheckCounts(config)) return why;
    return CheckPorts(config);
}
