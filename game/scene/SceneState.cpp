// Scene: the saved state of an unfinished visit in the player's profile.

#include <tinyxml.h>

#include <charconv>
#include <cmath>
#include <cstring>

#include "game/scene/Scene.h"
#include "platform/DataTree.h"
#include "platform/NumberText.h"

namespace {

constexpr const char* kTimeAttribute = "Time";
constexpr const char* kObjectList = "ObjectList/";

// "%g" in the "C" locale: six significant digits, the shorter notation.
std::string FormatTime(double ms) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, ms, std::chars_format::general, 6);
    return std::string(text, result.ptr);
}

bool Has(const char* value, char letter) { return value && std::strchr(value, letter); }

}  // namespace

std::string Scene::StatePath() const { return "[PLAYER]/SceneState/" + DataTree::EncodeName(name) + "/"; }

void Scene::SaveState() {
    const std::string path = StatePath();
    if (timeLimit > 0) {
        DataTree::SetAttribute(DataTree::Resolve(path.c_str(), true), kTimeAttribute, FormatTime(timeLimit).c_str());
    }
    TiXmlElement* list = DataTree::Resolve((path + kObjectList).c_str(), true);
    if (!list) return;
    for (const auto& object : searchList) {
        std::string value;
        bool found = true;
        for (const auto& entry : remaining) found = found && entry.Get() != object.Get();
        if (found) {
            value = "F";
        } else if (type == kSceneDifference) {
            if (object->visibleLeft) value += 'L';
            if (object->visibleRight) value += 'R';
        }
        DataTree::SetAttribute(list, DataTree::EncodeName(object->label), value.c_str());
    }
}

bool Scene::LoadState() {
    const std::string path = StatePath();
    const TiXmlElement* state = DataTree::Resolve(path.c_str(), false);
    if (!state) return false;
    if (timeLimit != 0) {
        const double saved = NumberText::ParseFloat(state->Attribute(kTimeAttribute));
        if (saved != 0 && std::isfinite(saved)) timeLimit = saved;
    }
    const TiXmlElement* list = DataTree::Resolve((path + kObjectList).c_str(), false);
    if (!list) return true;
    Scene* halves[2] = {leftHalf.Get(), rightHalf.Get()};
    for (const TiXmlAttribute* attribute = list->FirstAttribute(); attribute; attribute = attribute->Next()) {
        SceneObject* object = FindObject(DataTree::DecodeName(attribute->Name()));
        if (!object) continue;
        searchList.push_back(object);
        for (Scene* half : halves)
            if (half) half->searchList.push_back(object);
        const char* value = attribute->Value();
        if (Has(value, 'F')) {
            object->visible = object->visibleLeft = object->visibleRight = false;
            continue;
        }
        remaining.push_back(object);
        for (Scene* half : halves)
            if (half) half->remaining.push_back(object);
        if (type != kSceneDifference) continue;
        if (!Has(value, 'L')) object->visibleLeft = false;
        if (!Has(value, 'R')) object->visibleRight = false;
        if (!object->visibleLeft && !object->visibleRight) object->visible = false;
    }
    return true;
}

void Scene::ClearState() { DataTree::Remove(StatePath().c_str()); }
