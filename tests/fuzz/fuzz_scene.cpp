// Scene descriptions from arbitrary bytes: the reader refuses or describes;
// a described scene (kept as a half, so that its objects stay without
// pictures) chooses its objects and runs marker steps. The choice must end
// with a subset of the objects, strips must stay on a frame they have, and
// effects must stay few.

#include <cstddef>
#include <cstdint>
#include <string>

#include "game/scene/Scene.h"
#include "platform/XmlUtil.h"

namespace {

constexpr int kSteps = 40;

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

void Exercise(const SceneDescription& description, int32_t sceneType) {
    halvo::AutoRef<Scene> scene(new Scene());
    scene->name = "fuzz";
    scene->type = kSceneDifferenceLeft;
    Check(scene->Parse(description, "Scenes/fuzz"));
    // Turn the half into a whole scene of the described kind, with a picture
    // set to draw sparks from (empty pictures: there is no context here).
    scene->type = sceneType;
    scene->markerImages.push_back(new GLImage());
    scene->exitImages.push_back(new GLImage());
    scene->ChooseObjects();
    Check(scene->searchList.size() <= scene->allObjects.size());
    Check(scene->remaining.size() == scene->searchList.size());
    for (size_t i = 0; i < scene->remaining.size(); ++i) scene->remaining[i]->exitArmed = (i % 2) == 1;
    for (int step = 0; step < kSteps; ++step) {
        scene->UpdateMarkers(step * 17.0, 17);
        for (const auto& strip : scene->animations)
            Check(strip->frames.empty() ? strip->frame == 0
                                        : strip->frame >= 0 && static_cast<size_t>(strip->frame) < strip->frames.size());
        Check(scene->effects.size() <= 2 * scene->remaining.size() * kSteps);
    }
    scene->Draw(Matrix4::Identity());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    TiXmlDocument document;
    if (!XmlParseText(document, text.data())) return 0;
    for (bool half : {false, true}) {
        SceneDescription description;
        if (ReadSceneFile(document, half, description)) continue;
        if (!half) Check(description.hasBackground);
        const int32_t type = description.typeNamed ? description.type : kSceneSearch;
        Exercise(description, type);
        if (description.type == kSceneSearch) Exercise(description, kSceneAdventure);
    }
    return 0;
}
