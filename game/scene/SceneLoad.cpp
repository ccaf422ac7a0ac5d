// Scene: reading the description (or the two halves of a difference scene),
// loading the pictures, and setting up the HUD's item list.

#include <tinyxml.h>

#include <cstdio>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "game/Game.h"
#include "game/ModuleCall.h"
#include "game/scene/Scene.h"
#include "platform/AsciiCase.h"
#include "platform/DataTree.h"
#include "platform/FileManager.h"
#include "platform/LoadedFile.h"
#include "platform/Log.h"
#include "platform/XmlUtil.h"

namespace {

constexpr const char* kExitPrefix = "exit_";
constexpr Vec2 kTopLeft{0, 0};
constexpr Point2i kFallbackDesignSize{1920, 1080};

// What becomes of the scene without a file it names, told with the file.
constexpr const char* kNoBackground = "the background cannot be read; the scene shows none";
constexpr const char* kObjectLeftOut = "an object's picture cannot be read; the object is left out";
constexpr const char* kObjectUnseen = "an object's picture cannot be read; the object is not seen";
constexpr const char* kFrameLeftOut = "a strip's frame cannot be read; the strip plays without it";
constexpr const char* kShapeUnlisted = "a silhouette cannot be read; its object is not listed";
constexpr const char* kConeDark = "the light cone cannot be read; the scene stays dark";

Vec2 SizeOf(const GLImage& image) {
    return {static_cast<float>(image.size.x), static_cast<float>(image.size.y)};
}

std::string Join(std::initializer_list<std::string_view> parts) {
    std::string path;
    for (std::string_view part : parts) path += part;
    return path;
}

// Numbered pictures from 1 upward, stopping at the first that does not load.
void LoadNumberedSet(SceneImageSet& set, const char* stem) {
    for (int i = 1; i <= Scene::kMaxSparkImages; ++i) {
        char path[64];
        std::snprintf(path, sizeof path, "Scenes/_All/%s%02d.cbi", stem, i);
        halvo::AutoRef<GLImage> image(new GLImage());
        if (!image->Load("%s", path)) break;
        set.push_back(image);
    }
}

enum class DescriptionRead { kMissing, kRefused, kRead };

// Reads and checks "<folder>/<name><suffix>.xml"; logs why it is refused.
DescriptionRead ReadDescription(const char* folder, const char* sceneName, const char* suffix, bool isHalf,
                                SceneDescription& description) {
    uint32_t size = 0;
    LoadedFile text(FileManager::Global().LoadFile(&size, "%s/%s%s.xml", folder, sceneName, suffix));
    if (!text) return DescriptionRead::kMissing;
    TiXmlDocument document;
    const char* refusal = XmlParseText(document, text.get()) ? ReadSceneFile(document, isHalf, description)
                                                             : "the XML does not parse";
    if (!refusal) return DescriptionRead::kRead;
    halvo::LogMessage("Scene::Load - %s (%s/%s%s.xml)", refusal, folder, sceneName, suffix);
    return DescriptionRead::kRefused;
}

Vrel::Var Text(const std::string& text) { return Vrel::Var(text.c_str()); }

Point2i DesignSize() {
    const Game* game = Game::Current();
    return game ? game->designSize : kFallbackDesignSize;
}

bool Contains(const halvo::AutoRefVector<SceneObject>& list, const SceneObject* object) {
    for (const auto& entry : list)
        if (entry.Get() == object) return true;
    return false;
}

}  // namespace

halvo::AutoRef<GLImage> Scene::LoadPicture(const std::string& path, Vec2 position, const char* outcome) {
    halvo::AutoRef<GLImage> image(new GLImage());
    image->anchor = kTopLeft;
    image->position = position;
    image->matrixDirty = true;
    if (image->Load("%s", path.c_str())) return image;
    TellUnreadable(path, outcome);
    return {};
}

void Scene::TellUnreadable(const std::string& path, const char* outcome) {
    // Frames and objects may share a picture: one line is enough.
    for (const std::string& told : unreadableFiles)
        if (told == path) return;
    unreadableFiles.push_back(path);
    halvo::LogMessage("Scene::Load - %s (%s)", outcome, path.c_str());
}

// The scene plays on without a background, drawn empty.
halvo::AutoRef<GLImage> Scene::LoadBackground(const char* folder) {
    halvo::AutoRef<GLImage> image;
    if (backgroundFile.empty()) {
        halvo::LogMessage("Scene::Load - the scene has no background (%s)", folder);
    } else {
        image = LoadPicture(Join({folder, "/", backgroundFile, ".cbi"}), kTopLeft, kNoBackground);
    }
    if (image) return image;
    image = new GLImage();
    image->anchor = kTopLeft;
    return image;
}

bool Scene::Load(const char* folder, const char* sceneName) {
    name = sceneName;
    LoadSparkImages();
    SceneDescription description;
    const DescriptionRead read = ReadDescription(folder, sceneName, "", IsHalf(), description);
    if (read == DescriptionRead::kMissing) return LoadDifferences(folder, sceneName);
    if (read == DescriptionRead::kRefused || !Parse(description, folder)) return false;
    const float character = CallModuleFunction("character", "Create");
    const float help = CallModuleFunction("help", "Create");
    const Vrel::Var created[2] = {Vrel::Var(character), Vrel::Var(help)};
    if (type == kSceneCutscene || type == kSceneAdventure) {
        CallModuleFunction("inventory", "Create", created, 2);
    } else if (type != kSceneMap) {
        CallModuleFunction("itemview", "Create", created, 2);
        CallModuleFunction("help", "ResetTime");
    }
    if (!LoadState()) ChooseObjects();
    FillItemList();
    return true;
}

void Scene::LoadSparkImages() {
    LoadNumberedSet(dissolveImages, "DissolveSpark");
    LoadNumberedSet(hintImages, "HintSpark");
    LoadNumberedSet(markerImages, "MarkerSpark");
    halvo::AutoRef<GLImage> exit(new GLImage());
    if (exit->Load("%s", "Scenes/_All/Exit.cbi")) exitImages.push_back(exit);
}

bool Scene::Parse(const SceneDescription& description, const char* folder) {
    if (description.typeNamed) type = description.type;
    objectCount = description.objectCount;
    timeLimit = DescriptionTimeLimitMs(description, DataTree::GetInt("[SETTINGS]/difficulty"));
    if (!IsHalf()) LoadSceneImages(description, folder);
    LoadObjects(description, folder);
    LoadStrips(description, folder);
    if (type == kSceneShapeSearch) LoadShapes(description, folder);
    return true;
}

void Scene::LoadSceneImages(const SceneDescription& description, const char* folder) {
    backgroundFile = description.backgroundFile;
    background = LoadBackground(folder);
    closeUpOffset = {description.closeUpOffset, 0};
    if (!description.hasLightCone) return;
    viewMask = new SceneViewMask();
    viewMask->image = new GLImage();
    const std::string cone = Join({description.lightConeFile, ".cbi"});
    if (!viewMask->image->Load("%s", cone.c_str())) TellUnreadable(cone, kConeDark);
    const Point2i design = DesignSize();
    viewMask->position = {static_cast<float>(design.x) * 0.5f, static_cast<float>(design.y) * 0.5f};
}

void Scene::LoadObjects(const SceneDescription& description, const char* folder) {
    for (const SceneObjectRecord& record : description.objects) {
        halvo::AutoRef<SceneObject> object(new SceneObject());
        object->forceUse = record.forceUse;
        object->ignore = record.ignore;
        object->enabled = record.enabled;
        object->label = record.label;
        object->baseName = record.label.substr(0, record.label.find('_'));
        object->isExit = record.label.rfind(kExitPrefix, 0) == 0;
        object->file = record.file;
        object->position = record.position;
        if (!IsHalf()) {
            object->image =
                LoadPicture(Join({folder, "/ObjectGfx/", record.file, ".cbi"}), record.position, kObjectLeftOut);
            if (!object->image) continue;
            object->size = SizeOf(*object->image);
        }
        for (const Vec2& point : record.points) object->hotSpot.AddPoint(point);
        object->hotSpot.UpdateBounds();
        allObjects.push_back(object);
    }
}

void Scene::LoadStrips(const SceneDescription& description, const char* folder) {
    const bool animated = DataTree::GetInt("[SETTINGS]/animations") != 0;
    for (const SceneStripRecord& record : description.strips) {
        halvo::AutoRef<SceneAnimation> strip(new SceneAnimation());
        strip->label = record.label;
        strip->folder = record.folder;
        strip->SetFramesPerSecond(record.fps);
        for (const SceneFrameRecord& frameRecord : record.frames) {
            if (!animated && !strip->frames.empty()) break;
            halvo::AutoRef<SceneAnimationFrame> frame(new SceneAnimationFrame());
            frame->label = frameRecord.label;
            frame->file = frameRecord.file;
            frame->position = frameRecord.position;
            if (!IsHalf()) {
                frame->image = LoadPicture(
                    Join({folder, "/TextureStrips/", record.folder, "/", frameRecord.file, ".cbi"}),
                    frameRecord.position, kFrameLeftOut);
                if (!frame->image) continue;
                frame->size = SizeOf(*frame->image);
            }
            strip->frames.push_back(frame);
        }
        animations.push_back(strip);
    }
}

void Scene::LoadShapes(const SceneDescription& description, const char* folder) {
    for (const SceneShapeRecord& record : description.shapes) {
        SceneObject* object = FindObject(record.label);
        if (!object || object->shapeImage) continue;
        object->shapeFile = record.file;
        object->shapeImage = LoadPicture(Join({folder, "/Shapes/", record.file, ".cbi"}), kTopLeft, kShapeUnlisted);
        if (!object->shapeImage) continue;
        const size_t cut = record.file.rfind('_');
        object->shapeName = cut == std::string::npos ? std::string() : record.file.substr(0, cut) + "_Shape";
    }
}

bool Scene::LoadDifferences(const char* folder, const char* sceneName) {
    type = kSceneDifference;
    SceneDescription left, right;
    for (auto [suffix, description] : {std::pair{"_left", &left}, std::pair{"_right", &right}}) {
        const DescriptionRead read = ReadDescription(folder, sceneName, suffix, true, *description);
        if (read == DescriptionRead::kRead) continue;
        // A refused half has told why already.
        if (read == DescriptionRead::kMissing)
            halvo::LogMessage("Scene::Load - cannot read %s/%s.xml, nor %s/%s%s.xml of a difference scene", folder,
                              sceneName, folder, sceneName, suffix);
        return false;
    }
    if (!left.hasBackground) {
        halvo::LogMessage("Scene::LoadDifferences - no background file (%s/%s_left.xml)", folder, sceneName);
        return false;
    }
    backgroundFile = left.backgroundFile;
    background = LoadBackground(folder);
    closeUpOffset = {left.closeUpOffset, 0};
    if (!LoadHalf(leftHalf, kSceneDifferenceLeft, left, folder) ||
        !LoadHalf(rightHalf, kSceneDifferenceRight, right, folder))
        return false;
    timeLimit = (leftHalf->timeLimit + rightHalf->timeLimit) * 0.5;
    leftHalf->timeLimit = rightHalf->timeLimit = timeLimit;
    MergeDifferences(folder);
    const float character = CallModuleFunction("character", "Create");
    const float help = CallModuleFunction("help", "Create");
    const Vrel::Var created[2] = {Vrel::Var(character), Vrel::Var(help)};
    CallModuleFunction("itemview", "Create", created, 2);
    const Vrel::Var left_count(CountRemaining());
    CallModuleFunction("itemview", "SetDifferences", &left_count, 1);
    CallModuleFunction("help", "ResetTime");
    return true;
}

bool Scene::LoadHalf(halvo::AutoRef<Scene>& half, int32_t halfType, const SceneDescription& description,
                     const char* folder) {
    half = new Scene();
    half->name = name;
    half->parent = this;
    half->type = halfType;
    half->dissolveImages.assign(dissolveImages.begin(), dissolveImages.end());
    half->hintImages.assign(hintImages.begin(), hintImages.end());
    half->markerImages.assign(markerImages.begin(), markerImages.end());
    half->background = background;
    half->backgroundFile = backgroundFile;
    half->closeUpOffset = closeUpOffset;
    return half->Parse(description, folder);
}

void Scene::MergeDifferences(const char* folder) {
    allObjects.Clear();
    if (!leftHalf || !rightHalf) return;
    const auto& lefts = leftHalf->allObjects;
    const auto& rights = rightHalf->allObjects;
    bool paired = lefts.size() == rights.size();
    for (size_t i = 0; paired && i < lefts.size(); ++i)
        paired = halvo::AsciiEqualNoCase(lefts[i]->label, rights[i]->label);
    if (!paired) {
        halvo::LogMessage("Scene::MergeDifferences - the halves of '%s' list different objects", name.c_str());
        return;
    }
    for (size_t i = 0; i < lefts.size(); ++i) {
        SceneObject* left = lefts[i].Get();
        SceneObject* right = rights[i].Get();
        if (left->ignore && right->ignore) continue;
        right->forceUse = left->forceUse || right->forceUse;
        right->visibleLeft = !left->ignore;
        right->visibleRight = !right->ignore;
        allObjects.push_back(right);
    }
    for (const auto& object : allObjects) {
        object->image =
            LoadPicture(Join({folder, "/ObjectGfx/", object->file, ".cbi"}), object->position, kObjectUnseen);
        if (object->image) object->size = SizeOf(*object->image);
    }
    if (!LoadState()) ChooseObjects();
    for (Scene* half : {leftHalf.Get(), rightHalf.Get()}) {
        half->allObjects = allObjects;
        half->searchList = remaining;
        half->remaining = remaining;
    }
}

void Scene::FillItemList() {
    if (type == kSceneShapeSearch) {
        const Vrel::Var base = Text(BaseSceneName(name));
        for (const auto& object : searchList) {
            if (object->isExit || object->shapeName.empty() || object->shapeFile.empty()) continue;
            const Vrel::Var shape[3] = {Text(object->shapeName), Text(object->shapeFile), base};
            CallModuleFunction("itemview", "AddItemShape", shape, 3);
            if (Contains(remaining, object.Get())) continue;
            const Vec2 centre = object->hotSpot.Center();
            const Vrel::Var found[4] = {Text(object->shapeName), Text(object->shapeFile),
                                        Vrel::Var(centre.x), Vrel::Var(centre.y)};
            CallModuleFunction("itemview", "RemoveItemShape", found, 4);
        }
    } else {
        for (const auto& object : searchList) {
            if (object->isExit) continue;
            const Vrel::Var item = Text(object->baseName);
            CallModuleFunction("itemview", "AddItemText", &item, 1);
        }
        for (const auto& object : searchList) {
            if (object->isExit || Contains(remaining, object.Get())) continue;
            const Vrel::Var item = Text(object->baseName);
            CallModuleFunction("itemview", "RemoveItemText", &item, 1);
        }
    }
    CallModuleFunction("itemview", "AddItemEnd");
}
