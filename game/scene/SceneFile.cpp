#include "game/scene/SceneFile.h"

#include <tinyxml.h>

#include <cmath>
#include <cstring>

#include "platform/XmlUtil.h"

namespace {

constexpr const char* kLowMedHigh[3] = {"low", "med", "high"};

struct TypeName {
    const char* text;
    SceneType type;
};
constexpr TypeName kTypeNames[] = {
    {"Search", kSceneSearch},     {"ShapeSearch", kSceneShapeSearch}, {"Cutscene", kSceneCutscene},
    {"Map", kSceneMap},           {"Minigame", kSceneMinigame},       {"Adventure", kSceneAdventure},
};

float FiniteFloat(const TiXmlElement* element, const char* name) {
    const float value = XmlGetAttributeFloat(element, name);
    return std::isfinite(value) ? value : 0.0f;
}

bool Flag(const TiXmlElement* element, const char* name) {
    return XmlGetAttributeString(element, name) && XmlGetAttributeInt(element, name) != 0;
}

// Copies a required text; false when it is missing.
bool Required(const TiXmlElement* element, const char* name, std::string& out) {
    const char* text = XmlGetAttributeString(element, name);
    if (!text) return false;
    out = text;
    return true;
}

Vec2 Position(const TiXmlElement* element) {
    return {FiniteFloat(element, "posx"), FiniteFloat(element, "posy")};
}

void ReadDifficulty(const TiXmlElement* root, SceneDescription& out) {
    const TiXmlElement* difficulty = root->FirstChildElement("difficulty");
    if (!difficulty) return;
    for (int i = 0; i < 3; ++i) {
        const TiXmlElement* level = difficulty->FirstChildElement(kLowMedHigh[i]);
        if (!level) continue;
        out.hasTime[i] = true;
        out.time[i] = FiniteFloat(level, "time");
    }
}

void ReadObject(const TiXmlElement* element, bool isHalf, SceneDescription& out) {
    SceneObjectRecord object;
    object.forceUse = Flag(element, "forceuse");
    object.ignore = Flag(element, "ignore");
    object.enabled = Flag(element, "enabled");
    if (object.ignore && !isHalf) return;
    if (!Required(element, "label", object.label) || !Required(element, "file", object.file)) return;
    object.position = Position(element);
    for (const TiXmlElement* point = element->FirstChildElement("Point"); point;
         point = point->NextSiblingElement("Point"))
        object.points.push_back({FiniteFloat(point, "x"), FiniteFloat(point, "y")});
    out.objects.push_back(std::move(object));
}

void ReadStrip(const TiXmlElement* element, SceneDescription& out) {
    SceneStripRecord strip;
    if (!Required(element, "label", strip.label) || !Required(element, "file", strip.folder)) return;
    strip.fps = FiniteFloat(element, "fps");
    for (const TiXmlElement* child = element->FirstChildElement("object"); child;
         child = child->NextSiblingElement("object")) {
        SceneFrameRecord frame;
        if (!Required(child, "label", frame.label) || !Required(child, "file", frame.file)) continue;
        frame.position = Position(child);
        strip.frames.push_back(std::move(frame));
    }
    out.strips.push_back(std::move(strip));
}

void ReadShapes(const TiXmlElement* root, SceneDescription& out) {
    const TiXmlElement* shapes = root->FirstChildElement("shapes");
    if (!shapes) return;
    for (const TiXmlElement* element = shapes->FirstChildElement("shape"); element;
         element = element->NextSiblingElement("shape")) {
        SceneShapeRecord shape;
        if (Required(element, "label", shape.label) && Required(element, "file", shape.file))
            out.shapes.push_back(std::move(shape));
    }
}

}  // namespace

bool SceneTypeFromText(const char* text, SceneType& type) {
    if (!text) return false;
    for (const TypeName& entry : kTypeNames) {
        if (std::strcmp(entry.text, text) == 0) {
            type = entry.type;
            return true;
        }
    }
    return false;
}

const char* ReadSceneFile(const TiXmlDocument& document, bool isHalf, SceneDescription& out) {
    out = SceneDescription();
    const TiXmlElement* root = document.FirstChildElement();
    if (!root) return "the document has no element";
    const TiXmlElement* info = root->FirstChildElement("gameinfo");
    if (!info) return "no gameinfo element";
    const char* typeText = XmlGetAttributeString(info, "gametype");
    if (!typeText) return "gameinfo has no gametype";
    out.typeNamed = SceneTypeFromText(typeText, out.type);
    // A half whose file names a type is a scene of that kind, background and all.
    isHalf = isHalf && !out.typeNamed;
    out.objectCount = XmlGetAttributeInt(info, "objectcnt");
    out.closeUpOffset = XmlGetAttributeInt(info, "closeupoffset");
    ReadDifficulty(root, out);
    // A half takes its background from the left file: read it, require it
    // only of a whole scene.
    out.hasBackground = Required(root->FirstChildElement("background"), "file", out.backgroundFile);
    if (!isHalf && !out.hasBackground) return "no background file";
    out.hasLightCone = Required(root->FirstChildElement("lightcone"), "file", out.lightConeFile);
    const TiXmlElement* objects = root->FirstChildElement("objects");
    if (!objects) return "no objects element";
    for (const TiXmlElement* element = objects->FirstChildElement(); element;
         element = element->NextSiblingElement()) {
        if (std::strcmp(element->Value(), "object") == 0) ReadObject(element, isHalf, out);
        else if (std::strcmp(element->Value(), "texturestrip") == 0) ReadStrip(element, out);
    }
    ReadShapes(root, out);
    return nullptr;
}
