#include "game/GameBuiltins.h"

#include "game/CutsceneFunctions.h"
#include "game/FadeFunctions.h"
#include "game/GameFunctions.h"
#include "game/ScreenFunctions.h"
#include "game/SoundFunctions.h"
#include "game/SystemFunctions.h"
#include "game/TransitFunctions.h"
#include "gui/GuiGameAnimators.h"
#include "gui/GuiScriptFunctions.h"
#include "script/runtime/FunctionAdapter.h"
#include "script/runtime/ScriptVM.h"

namespace {

using Vrel::detail::AdapterFor;

constexpr GameBuiltin kTable[] = {
    {"IsIPhone", &AdapterFor<&SystemFunctions::Never>},
    {"RatingMessage", &AdapterFor<&SystemFunctions::Nothing>},
    {"ActivateEditControlHack", &AdapterFor<&SystemFunctions::Nothing>},
    {"ShowURL", &AdapterFor<&SystemFunctions::ShowURL>},
    {"ShowFileURL", &AdapterFor<&SystemFunctions::ShowURL>},
    {"IsConnectedToINet", &AdapterFor<&SystemFunctions::Never>},
    {"Random", &AdapterFor<&SystemFunctions::Random>},
    {"GetGameTime", &AdapterFor<&SystemFunctions::GetGameTime>},
    {"GetSceneScript", &AdapterFor<&ScreenFunctions::GetSceneScript>},
    {"Sleep", &AdapterFor<&GameFunctions::Sleep>},
    {"Include", &AdapterFor<&GameFunctions::Include>},
    {"GetScreenRes", &AdapterFor<&SystemFunctions::GetScreenRes>},
    {"Power", &AdapterFor<&SystemFunctions::Power>},
    {"ShowMainMenu", &AdapterFor<&TransitFunctions::ShowMainMenu>},
    {"GetLocaText", &AdapterFor<&SystemFunctions::GetLocaText>},
    {"PlayCredits", &AdapterFor<&CutsceneFunctions::PlayCredits>},
    {"UpdateSFXVolume", &AdapterFor<&SoundFunctions::UpdateSFXVolume>},
    {"UpdateMusicVolume", &AdapterFor<&SoundFunctions::UpdateMusicVolume>},
    {"GetPlatform", &AdapterFor<&SystemFunctions::GetPlatform>},
    {"GetHudRoot", &AdapterFor<&ScreenFunctions::GetHudRoot>},
    {"GetWidgetRoot", &AdapterFor<&ScreenFunctions::GetWidgetRoot>},
    {"StartMinigame", &AdapterFor<&ScreenFunctions::StartMinigame>},
    {"Fade", &AdapterFor<&FadeFunctions::Fade>},
    {"FadeOut", &AdapterFor<&FadeFunctions::FadeOut>},
    {"FadeIn", &AdapterFor<&FadeFunctions::FadeIn>},
    {"GroessterSuperGAU", &AdapterFor<&ScreenFunctions::GroessterSuperGAU>},
    {"GameOver", &AdapterFor<&TransitFunctions::ShowMainMenu>},
    {"PreloadPose", &AdapterFor<&CutsceneFunctions::PreloadPose>},
    {"UnloadAllPoses", &AdapterFor<&CutsceneFunctions::UnloadAllPoses>},
    {"AddSpeakerNoWait", &AdapterFor<&CutsceneFunctions::AddSpeakerNoWait>},
    {"AddSpeaker", &AdapterFor<&CutsceneFunctions::AddSpeaker>},
    {"SetPoseNoWait", &AdapterFor<&CutsceneFunctions::SetPoseNoWait>},
    {"SetPose", &AdapterFor<&CutsceneFunctions::SetPose>},
    {"RemoveSpeakerNoWait", &AdapterFor<&CutsceneFunctions::RemoveSpeakerNoWait>},
    {"RemoveSpeaker", &AdapterFor<&CutsceneFunctions::RemoveSpeaker>},
    {"Says", &AdapterFor<&CutsceneFunctions::Says>},
    {"PickHotspot", &AdapterFor<&CutsceneFunctions::PickHotspot>},
    {"EnterCutscene", &AdapterFor<&CutsceneFunctions::EnterCutscene>},
    {"LeaveCutscene", &AdapterFor<&CutsceneFunctions::LeaveCutscene>},
    {"PlayMusic", &AdapterFor<&SoundFunctions::PlayMusic>},
    {"StopMusic", &AdapterFor<&SoundFunctions::StopMusic>},
    {"PlayAmbient", &AdapterFor<&SoundFunctions::PlayAmbient>},
    {"StopAmbient", &AdapterFor<&SoundFunctions::StopAmbient>},
    {"PlayMsx", &AdapterFor<&SoundFunctions::PlayMsx>},
    {"StopMsx", &AdapterFor<&SoundFunctions::StopMusic>},
    {"PlaySfx", &AdapterFor<&SoundFunctions::PlaySfx>},
    {"StopSfx", &AdapterFor<&SoundFunctions::StopSfx>},
    {"LogTime", &AdapterFor<&SystemFunctions::LogTime>},
};


}  // namespace

std::span<const GameBuiltin> GameBuiltinTable() { return kTable; }

void RegisterGameBuiltins(Vrel::ScriptVM& vm) {
    halvo::RegisterGameAnimators();
    // The GUI binds its own while it is built; a machine emptied since has
    // lost them.
    halvo::RegisterGuiScriptFunctions(vm);
    for (const GameBuiltin& builtin : kTable) vm.AddCFunction(builtin.name, builtin.adapter());
}
