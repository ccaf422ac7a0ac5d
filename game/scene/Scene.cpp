#include "game/scene/Scene.h"

Scene::~Scene() = default;

SceneObject* Scene::FindObject(const std::string& label) const {
    for (const auto& object : allObjects)
        if (object->label == label) return object.Get();
    return nullptr;
}

SceneObject* Scene::FindRemaining(const std::string& label) const {
    for (const auto& object : remaining)
        if (object->label == label) return object.Get();
    return nullptr;
}

int32_t Scene::CountRemaining() const {
    int32_t count = 0;
    for (const auto& object : remaining)
        if (!object->isExit) ++count;
    return count;
}

std::string Scene::BaseSceneName(const std::string& sceneName) {
    const size_t n = sceneName.size();
    if (n >= 3 && sceneName[n - 3] == '_') return sceneName.substr(0, n - 3);
    return sceneName;
}

SceneFX* Scene::FindEffect(const SceneObject* target, const ClassRecord* kind) const {
    for (const auto& effect : effects)
        if (effect->object.Get() == target && effect->GetClassInfo() == kind) return effect.Get();
    return nullptr;
}

bool Scene::RemoveEffect(const SceneObject* target, const ClassRecord* kind) {
    for (size_t i = 0; i < effects.size(); ++i) {
        if (effects[i]->object.Get() == target && effects[i]->GetClassInfo() == kind) {
            effects.erase(effects.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
    }
    return false;
}

double DescriptionTimeLimitMs(const SceneDescription& description, int32_t difficulty) {
    const int level = difficulty == 0 ? 0 : difficulty == 1 ? 1 : 2;
    return description.hasTime[level] ? static_cast<double>(description.time[level]) * 1000.0 : 0.0;
}
