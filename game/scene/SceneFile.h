#pragma once
// The reader of a scene description (XML): what the file says, as plain
// values, before any picture is loaded. The scene builds itself from the
// description; the reader decides only what the file format decides (which
// elements are required, which objects, frames and shapes are dropped).

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Math.h"

class TiXmlDocument;

// Values of gameinfo's gametype; 3 to 5 never come from a file. Scripts and
// saved data see these numbers.
enum SceneType : int32_t {
    kSceneNone = 0,
    kSceneSearch = 1,
    kSceneShapeSearch = 2,
    kSceneDifference = 3,       // loaded from two halves
    kSceneDifferenceLeft = 4,   // the left half of a difference scene
    kSceneDifferenceRight = 5,  // the right half
    kSceneCutscene = 6,
    kSceneMap = 7,
    kSceneMinigame = 8,
    kSceneAdventure = 9,
};

struct SceneObjectRecord {
    std::string label;
    std::string file;
    Vec2 position;
    bool forceUse = false;
    bool ignore = false;
    bool enabled = false;
    std::vector<Vec2> points;
};

struct SceneFrameRecord {
    std::string label;
    std::string file;
    Vec2 position;
};

struct SceneStripRecord {
    std::string label;
    std::string folder;
    float fps = 0;
    std::vector<SceneFrameRecord> frames;
};

struct SceneShapeRecord {
    std::string label;
    std::string file;
};

struct SceneDescription {
    // The type the file names; `typeNamed` false leaves the scene's own.
    SceneType type = kSceneNone;
    bool typeNamed = false;
    int32_t objectCount = 0;
    int32_t closeUpOffset = 0;
    // Seconds per difficulty (low, med, high); a missing entry is untimed.
    bool hasTime[3] = {false, false, false};
    float time[3] = {0, 0, 0};
    // A whole scene needs the attribute (a half takes the left file's); an
    // empty name gives a scene without a background picture.
    bool hasBackground = false;
    std::string backgroundFile;
    bool hasLightCone = false;
    std::string lightConeFile;
    std::vector<SceneObjectRecord> objects;
    std::vector<SceneStripRecord> strips;
    std::vector<SceneShapeRecord> shapes;
};

// The gametype text's value, or false for any other text.
bool SceneTypeFromText(const char* text, SceneType& type);

// Null when the description is usable, else why not. A half of a difference
// scene needs no background and keeps its ignored objects. Numbers that are
// not finite read as absent (0).
const char* ReadSceneFile(const TiXmlDocument& document, bool isHalf, SceneDescription& out);
