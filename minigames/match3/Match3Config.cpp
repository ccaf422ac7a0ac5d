#include "minigames/match3/Match3Config.h"

#include "minigames/ConfigXml.h"
#include "platform/XmlUtil.h"

#include <cmath>
#include <cstdlib>

namespace {

bool IsCoordinate(float value) {
    return std::isfinite(value) && std::fabs(value) <= float(Match3Config::kMaxCoordinate);
}

bool IsCoordinate(int32_t value) { return std::abs(int64_t{value}) <= Match3Config::kMaxCoordinate; }

const char* ReadTypes(const TiXmlElement* root, Match3Config& config) {
    config.types.clear();
    for (const TiXmlElement* element = root->FirstChildElement("tile"); element;
         element = element->NextSiblingElement("tile")) {
        if (config.types.size() == Match3Config::kMaxTileTypes) return "more than 32 tile types";
        const char* file = XmlGetAttributeString(element, "file");
        if (!file || !*file) return "a tile without a file";
        Match3TileType type{file, XmlGetAttributeFloat(element, "stackposx"),
                            XmlGetAttributeFloat(element, "stackposy"),
                            XmlGetAttributeFloat(element, "stackstepx"),
                            XmlGetAttributeFloat(element, "stackstepy")};
        config.types.push_back(std::move(type));
    }
    return nullptr;
}

const char* CheckTypes(const Match3Config& config) {
    if (config.types.size() < Match3Config::kMinTileTypes) return "fewer than two tile types";
    if (config.types.size() > Match3Config::kMaxTileTypes) return "more than 32 tile types";
    for (const Match3TileType& type : config.types) {
        if (type.file.empty()) return "a tile without a file";
        if (!IsCoordinate(type.stackPosX) || !IsCoordinate(type.stackPosY) ||
            !IsCoordinate(type.stackStepX) || !IsCoordinate(type.stackStepY)) {
            return "a tile's stack placed far outside the game";
        }
    }
    return nullptr;
}

// A line needs three cells in a row and a swap needs a fourth to come from:
// a side of four, or three beside a second row or column.
bool AdmitsMove(int32_t countX, int32_t countY) {
    return countX >= 4 || countY >= 4 || (countX >= 3 && countY >= 2) || (countY >= 3 && countX >= 2);
}

const char* CheckBoard(const Match3Config& config) {
    if (config.countX < 1 || config.countY < 1) return "no board (tilecount)";
    if (config.countX > Match3Config::kMaxBoardSide || config.countY > Match3Config::kMaxBoardSide) {
        return "board larger than 64 by 64";
    }
    if (!AdmitsMove(config.countX, config.countY)) return "board too small for any line";
    if (config.spcX < 1 || config.spcY < 1) return "tile spacing not positive";
    if (!IsCoordinate(config.spcX) || !IsCoordinate(config.spcY) || !IsCoordinate(config.offX) ||
        !IsCoordinate(config.offY)) {
        return "board placed far outside the game";
    }
    return nullptr;
}

}  // namespace

const char* ReadMatch3Config(const TiXmlDocument& file, Match3Config& config) {
    const TiXmlElement* root = file.FirstChildElement();
    if (!root) return "no root element";
    const char* background = XmlGetAttributeString(root->FirstChildElement("background"), "file");
    if (!background || !*background) return "no background file";
    config.background = background;
    if (const char* why = ReadTypes(root, config)) return why;
    ReadIntPair(root, "tilecount", "countx", "county", config.countX, config.countY);
    ReadIntPair(root, "tileoffset", "offx", "offy", config.offX, config.offY);
    ReadIntPair(root, "tilespacing", "spcx", "spcy", config.spcX, config.spcY);
    return CheckMatch3Config(config);
}

const char* CheckMatch3Config(const Match3Config& config) {
    if (config.background.empty()) return "no background file";
    if (const char* why = CheckTypes(config)) return why;
    return CheckBoard(config);
}
