#include "minigames/target/TargetConfig.h"

#include "minigames/ConfigXml.h"
#include "platform/XmlUtil.h"

#include <cmath>

namespace {

bool ReadFile(const TiXmlElement* element, std::string& name) {
    const char* value = XmlGetAttributeString(element, "file");
    if (!value) return false;
    name = value;
    return true;
}

bool ReadEach(const TiXmlElement* root, const char* name, std::vector<std::string>& names) {
    for (const TiXmlElement* e = root->FirstChildElement(name); e; e = e->NextSiblingElement(name)) {
        std::string file;
        if (!ReadFile(e, file)) return false;
        names.push_back(file);
    }
    return true;
}

const char* ReadPictures(const TiXmlElement* root, TargetConfig& config) {
    if (!ReadFile(root->FirstChildElement("background"), config.background)) return "no background file";
    if (!ReadFile(root->FirstChildElement("tileback"), config.tileBack)) return "no tileback file";
    if (!ReadFile(root->FirstChildElement("tilefront"), config.tileFront)) return "no tilefront file";
    if (!ReadEach(root, "tile_generic", config.genericNames)) return "a tile_generic has no file";
    if (config.IsGeneric()) return nullptr;
    if (!ReadEach(root, "tile_friend", config.friendNames)) return "a tile_friend has no file";
    if (!ReadEach(root, "tile_enemy", config.enemyNames)) return "a tile_enemy has no file";
    if (config.friendNames.empty() || config.enemyNames.empty()) return "no tile_friend or no tile_enemy";
    return nullptr;
}

void ReadGrid(const TiXmlElement* root, TargetConfig& config) {
    ReadIntPair(root, "tilecount", "countx", "county", config.columns, config.rows);
    ReadIntPair(root, "tileoffset", "offx", "offy", config.offsetX, config.offsetY);
    ReadIntPair(root, "tilespacing", "spcx", "spcy", config.spacingX, config.spacingY);
}

bool Within(int32_t v, int32_t limit) { return v >= -limit && v <= limit; }

const char* CheckGrid(const TargetConfig& config) {
    const int32_t side = TargetConfig::kMaxGridSide;
    if (config.columns < 1 || config.rows < 1 || config.columns > side || config.rows > side) {
        return "the grid is not 1 to 16 targets a side";
    }
    if (!Within(config.offsetX, TargetConfig::kMaxCoordinate) || !Within(config.offsetY, TargetConfig::kMaxCoordinate) ||
        !Within(config.spacingX, TargetConfig::kMaxCoordinate) || !Within(config.spacingY, TargetConfig::kMaxCoordinate)) {
        return "the grid lies too far out";
    }
    // Stacked targets: only the first could ever be hit.
    if ((config.spacingX == 0 && config.columns > 1) || (config.spacingY == 0 && config.rows > 1)) {
        return "targets of the grid lie on top of each other";
    }
    return nullptr;
}

const char* CheckRound(TargetConfig& config) {
    if (config.enemyCount < 1) return "no enemy per round";
    if (config.friendCount < 0) return "a negative number of friends";
    if (static_cast<int64_t>(config.friendCount) + config.enemyCount >
        static_cast<int64_t>(config.columns) * config.rows) {
        return "more friends and enemies than targets";
    }
    if (config.IsGeneric() && config.genericNames.size() < 2 && config.friendCount > 0) {
        return "friends need a second tile_generic";
    }
    if (!std::isfinite(config.delayMs) || config.delayMs > TargetConfig::kMaxDelayMs) {
        return "the delay is not a sane number of milliseconds";
    }
    // A show of no steps would keep a hit enemy from ever standing up, so
    // the shooting phase could not end.
    const double frames = static_cast<double>(config.delayMs) / TargetConfig::kStepMs;
    config.showFrames = frames < 1.0 ? 1 : static_cast<int32_t>(frames);
    return nullptr;
}

}  // namespace

const char* ReadTargetConfig(const TiXmlDocument& file, TargetConfig& config) {
    const TiXmlElement* root = file.FirstChildElement();
    if (!root) return "the file has no root element";
    if (const char* why = ReadPictures(root, config)) return why;
    ReadGrid(root, config);
    if (const char* why = CheckGrid(config)) return why;
    return CheckRound(config);
}
