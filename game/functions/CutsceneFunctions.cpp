#include "game/functions/CutsceneFunctions.h"

#include "game/screens/AdventureScreen.h"
#include "game/screens/CreditsWidget.h"
#include "game/screens/CutsceneScreen.h"
#include "game/Game.h"
#include "game/scene/SceneObject.h"
#include "game/PoseCache.h"
#include "gui/GuiScriptArgs.h"
#include "script/runtime/library/BuiltinSupport.h"
#include "script/runtime/execution/Thread.h"

namespace CutsceneFunctions {

namespace {

using Vrel::builtins::ArgText;
using Vrel::builtins::Report;

constexpr const char* kAddSpeakerMessage = "AddSpeaker() - bad parameters";
constexpr const char* kSetPoseMessage = "void SetPose() - bad parameters";
constexpr const char* kRemoveSpeakerMessage = "RemoveSpeaker() - bad parameters";
constexpr const char* kSaysMessage = "void Says() - bad parameters";
constexpr const char* kNoHotspot = "";

// The first `count` arguments as texts; false when one is not.
template <size_t N>
bool TextArgs(const Vrel::t_Interface& call, const char* (&texts)[N]) {
    for (size_t i = 0; i < N; ++i) {
        texts[i] = ArgText(call, static_cast<int>(i));
        if (!texts[i]) return false;
    }
    return true;
}

// The waiting forms sleep for the animation they started.
float SleepFor(const Vrel::t_Interface& call, float ms) {
    if (ms > 0 && call.thread) call.thread->Sleep(ms);
    return ms;
}

// The first cutscene screen under the root (an adventure screen is one too).
CutsceneScreen* Cutscene() {
    const Game* game = Game::Current();
    return game ? CastTo<CutsceneScreen>(game->FindScreen(CutsceneScreen::kClassRecord.name)) : nullptr;
}

AdventureScreen* Adventure() {
    const Game* game = Game::Current();
    return game ? AdventureScreen::Shown(*game) : nullptr;
}

}  // namespace

float AddSpeakerNoWait(const char* name, const char* position, const char* pose) {
    CutsceneScreen* screen = Cutscene();
    if (!screen || !name || !position || !pose) return 0.0f;
    halvo::AutoRef<CutsceneScreen> hold(screen);
    return screen->AddSpeaker(name, position, pose);
}

float AddSpeaker(Vrel::t_Interface& call) {
    const char* texts[3];
    if (call.count != 3 || !TextArgs(call, texts)) {
        Report(call, kAddSpeakerMessage);
        return 0.0f;
    }
    return SleepFor(call, AddSpeakerNoWait(texts[0], texts[1], texts[2]));
}

float SetPoseNoWait(const char* speaker, const char* pose) {
    CutsceneScreen* screen = Cutscene();
    if (!screen || !speaker || !pose) return 0.0f;
    halvo::AutoRef<CutsceneScreen> hold(screen);
    return screen->SetPose(speaker, pose);
}

float SetPose(Vrel::t_Interface& call) {
    const char* texts[2];
    if (call.count != 2 || !TextArgs(call, texts)) {
        Report(call, kSetPoseMessage);
        return 0.0f;
    }
    return SleepFor(call, SetPoseNoWait(texts[0], texts[1]));
}

float RemoveSpeakerNoWait(const char* speaker) {
    CutsceneScreen* screen = Cutscene();
    if (!screen || !speaker) return 0.0f;
    halvo::AutoRef<CutsceneScreen> hold(screen);
    return screen->RemoveSpeaker(speaker);
}

float RemoveSpeaker(Vrel::t_Interface& call) {
    const char* texts[1];
    if (call.count < 1 || !TextArgs(call, texts)) {
        Report(call, kRemoveSpeakerMessage);
        return 0.0f;
    }
    return SleepFor(call, RemoveSpeakerNoWait(texts[0]));
}

void Says(Vrel::t_Interface& call) {
    const char* texts[2];
    if (call.count < 2 || !TextArgs(call, texts)) {
        Report(call, kSaysMessage);
        return;
    }
    CutsceneScreen* screen = Cutscene();
    if (!screen) return;
    // The bubble's script may take the screen away.
    halvo::AutoRef<CutsceneScreen> hold(screen);
    screen->Says(call.thread, texts[0], texts[1]);
}

void EnterCutscene() {
    if (AdventureScreen* screen = Adventure()) screen->EnterCutscene();
}

void LeaveCutscene() {
    if (AdventureScreen* screen = Adventure()) screen->LeaveCutscene();
}

// The label lives in the scene, which outlives the call; the adapter copies it.
const char* PickHotspot(float x, float y) {
    const AdventureScreen* screen = Adventure();
    const SceneObject* object = screen ? screen->HotspotAt(x, y) : nullptr;
    return object ? object->label.c_str() : kNoHotspot;
}

void PreloadPose(const char* pose) { PoseCache::Global().Preload(pose); }

void UnloadAllPoses() { PoseCache::Global().Clear(); }

bool PlayCredits(Vrel::t_Interface& call) { return CreditsWidget::Create(halvo::WidgetArg(call, 0)); }

}  // namespace CutsceneFunctions
