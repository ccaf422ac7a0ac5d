#include "minigames/senso/SensoConfig.h"

#include "platform/XmlUtil.h"

#include <cstdlib>

namespace {

bool IsCoordinate(int32_t value) {
    return std::abs(int64_t{value}) <= SensoConfig::kMaxCoordinate;
}

const char* ReadButtons(const TiXmlElement* root, SensoConfig& config) {
    config.buttons.clear();
    for (const TiXmlElement* element = root->FirstChildElement("button"); element;
         element = element->NextSiblingElement("button")) {
        if (config.buttons.size() == SensoConfig::kMaxButtons) return "more buttons than the game can show";
        const char* image = XmlGetAttributeString(element, "image");
        if (!image || !*image) return "a button without an image";
        SensoButton button{image, XmlGetAttributeInt(element, "x"), XmlGetAttributeInt(element, "y")};
        if (!IsCoordinate(button.x) || !IsCoordinate(button.y)) return "a button placed far outside the game";
        config.buttons.push_back(std::move(button));
    }
    // Without a button there is nothing to light, and nothing to draw from.
    return config.buttons.empty() ? "no button" : nullptr;
}

}  // namespace

const char* ReadSensoConfig(const TiXmlDocument& file, SensoConfig& config) {
    const TiXmlElement* root = file.FirstChildElement();
    if (!root) return "no root element";
    const TiXmlElement* background = root->FirstChildElement("background");
    const char* name = XmlGetAttributeString(background, "file");
    if (!name || !*name) return "no background file";
    config.background = name;
    if (const char* why = ReadButtons(root, config)) return why;
    // A first sequence of no elements would be played from an empty list;
    // the shortest playable sequence is one element.
    if (config.minLength < 1) config.minLength = 1;
    if (config.minLength > SensoConfig::kMaxLength) return "first sequence longer than a player can repeat";
    if (config.maxLength > SensoConfig::kMaxLength) return "last sequence longer than a player can repeat";
    return nullptr;
}
