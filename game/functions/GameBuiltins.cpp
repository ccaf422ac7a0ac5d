#include "game/functions/GameBuiltins.h"

#include "game/functions/CharacterFunctions.h"
#include "game/functions/CutsceneFunctions.h"
#include "game/functions/FadeFunctions.h"
#include "game/functions/GameFlagFunctions.h"
#include "game/functions/GameFunctions.h"
#include "game/functions/ProfileFunctions.h"
#include "game/functions/ScreenFunctions.h"
#include "game/functions/SoundFunctions.h"
#include "game/functions/SystemFunctions.h"
#include "game/functions/TransitFunctions.h"
#include "gui/GuiGameAnimators.h"
#include "gui/GuiScriptFunctions.h"
#include "script/runtime/library/FunctionAdapter.h"
#include "script/runtime/machine/ScriptVM.h"

namespace {

using Vrel::detail::AdapterFor;

constexpr GameBuiltin kTable[] = {
    {"IsIPhone", &AdapterFor<&SystemFunctions::Never>},
    {"RatingMessage", &AdapterFor<&SystemFunctions::Nothing>},
    {"ActivateEditControlHack", &AdapterFor<&SystemFunctions::Nothing>},
    {"ShowURL", &AdapterFor<&SystemFunctions::ShowURL>},
    {"ShowFileURL", &AdapterFor<&SystemFunctions::ShowURL>},
    {"IsConnectedToINet", &AdapterFor<&SystemFunctions::Never>},
    {"SetValue", &AdapterFor<&ProfileFunctions::SetValue>},
    {"GetValue", &AdapterFor<&ProfileFunctions::GetValue>},
    {"Random", &AdapterFor<&SystemFunctions::Random>},
    {"GetGameTime", &AdapterFor<&SystemFunctions::GetGameTime>},
    {"GetSceneScript", &AdapterFor<&ScreenFunctions::GetSceneScript>},
    {"Sleep", &AdapterFor<&GameFunctions::Sleep>},
    {"Include", &AdapterFor<&GameFunctions::Include>},
    {"Transit", &AdapterFor<&TransitFunctions::Transit>},
    {"GetScreenRes", &AdapterFor<&SystemFunctions::GetScreenRes>},
    {"Power", &AdapterFor<&SystemFunctions::Power>},
    {"ShowHelp", &AdapterFor<&ScreenFunctions::ShowHelp>},
    {"ShowHintSparkle", &AdapterFor<&ScreenFunctions::ShowHintSparkle>},
    {"EnableSceneFX", &AdapterFor<&ScreenFunctions::EnableSceneFX>},
    {"GameStateEnd", &AdapterFor<&TransitFunctions::GameStateEnd>},
    {"GamePause", &AdapterFor<&GameFlagFunctions::GamePause>},
    {"CanContinueGame", &AdapterFor<&TransitFunctions::CanContinueGame>},
    {"CanStartNewGame", &AdapterFor<&TransitFunctions::CanStartNewGame>},
    {"ContinueGame", &AdapterFor<&TransitFunctions::ContinueGame>},
    {"ShowMainMenu", &AdapterFor<&TransitFunctions::ShowMainMenu>},
    {"GetLocaText", &AdapterFor<&SystemFunctions::GetLocaText>},
    {"GetPlayerName", &AdapterFor<&ProfileFunctions::GetPlayerName>},
    {"GetCurrentProfileSlot", &AdapterFor<&ProfileFunctions::GetCurrentProfileSlot>},
    {"SetCurrentProfileSlot", &AdapterFor<&ProfileFunctions::SetCurrentProfileSlot>},
    {"DeleteProfile", &AdapterFor<&ProfileFunctions::DeleteProfile>},
    {"CreateProfile", &AdapterFor<&ProfileFunctions::CreateProfile>},
    {"OptionsGetFloat", &AdapterFor<&ProfileFunctions::OptionsGetFloat>},
    {"OptionsSetFloat", &AdapterFor<&ProfileFunctions::OptionsSetFloat>},
    {"OptionsGetInt", &AdapterFor<&ProfileFunctions::OptionsGetInt>},
    {"OptionsSetInt", &AdapterFor<&ProfileFunctions::OptionsSetInt>},
    {"OptionsGetString", &AdapterFor<&ProfileFunctions::OptionsGetString>},
    {"OptionsSetString", &AdapterFor<&ProfileFunctions::OptionsSetString>},
    {"OptionsSave", &AdapterFor<&ProfileFunctions::OptionsSave>},
    {"PlayCredits", &AdapterFor<&CutsceneFunctions::PlayCredits>},
    {"UpdateSFXVolume", &AdapterFor<&SoundFunctions::UpdateSFXVolume>},
    {"UpdateMusicVolume", &AdapterFor<&SoundFunctions::UpdateMusicVolume>},
    {"CanChangeLanguage", &AdapterFor<&ProfileFunctions::CanChangeLanguage>},
    {"GetLanguageByPos", &AdapterFor<&ProfileFunctions::GetLanguageByPos>},
    {"ChangeLanguage", &AdapterFor<&ProfileFunctions::ChangeLanguage>},
    {"GetLoadedLanguage", &AdapterFor<&ProfileFunctions::GetLoadedLanguage>},
    {"GetPlatform", &AdapterFor<&SystemFunctions::GetPlatform>},
    {"QuitGame", &AdapterFor<&TransitFunctions::QuitGame>},
    {"GetHelpFactor", &AdapterFor<&GameFlagFunctions::GetHelpFactor>},
    {"GetHudRoot", &AdapterFor<&ScreenFunctions::GetHudRoot>},
    {"GetWidgetRoot", &AdapterFor<&ScreenFunctions::GetWidgetRoot>},
    {"StartMinigame", &AdapterFor<&ScreenFunctions::StartMinigame>},
    {"Fade", &AdapterFor<&FadeFunctions::Fade>},
    {"FadeOut", &AdapterFor<&FadeFunctions::FadeOut>},
    {"FadeIn", &AdapterFor<&FadeFunctions::FadeIn>},
    {"GroessterSuperGAU", &AdapterFor<&ScreenFunctions::GroessterSuperGAU>},
    {"GameOver", &AdapterFor<&TransitFunctions::GameOver>},
    {"SetActiveCharacter", &AdapterFor<&CharacterFunctions::SetActiveCharacter>},
    {"PreloadPose", &AdapterFor<&CutsceneFunctions::PreloadPose>},
    {"UnloadAllPoses", &AdapterFor<&CutsceneFunctions::UnloadAllPoses>},
    {"AddSpeakerNoWait", &AdapterFor<&CutsceneFunctions::AddSpeakerNoWait>},
    {"AddSpeaker", &AdapterFor<&CutsceneFunctions::AddSpeaker>},
    {"SetPoseNoWait", &AdapterFor<&CutsceneFunctions::SetPoseNoWait>},
    {"SetPose", &AdapterFor<&CutsceneFunctions::SetPose>},
    {"RemoveSpeakerNoWait", &AdapterFor<&CutsceneFunctions::RemoveSpeakerNoWait>},
    {"RemoveSpeaker", &AdapterFor<&CutsceneFunctions::RemoveSpeaker>},
    {"Says", &AdapterFor<&CutsceneFunctions::Says>},
    {"SetSceneColor", &AdapterFor<&ScreenFunctions::SetSceneColor>},
    {"AddOverlay", &AdapterFor<&ScreenFunctions::SetSceneColor>},
    {"RemoveOverlay", &AdapterFor<&ScreenFunctions::RemoveOverlay>},
    {"PickHotspot", &AdapterFor<&CutsceneFunctions::PickHotspot>},
    {"GetHotspotState", &AdapterFor<&ProfileFunctions::GetHotspotState>},
    {"SetHotspotState", &AdapterFor<&ProfileFunctions::SetHotspotState>},
    {"CharacterGet", &AdapterFor<&CharacterFunctions::CharacterGet>},
    {"CharacterChange", &AdapterFor<&CharacterFunctions::CharacterChange>},
    {"CharacterGetImage", &AdapterFor<&CharacterFunctions::CharacterGetImage>},
    {"ItemAdd", &AdapterFor<&CharacterFunctions::ItemAdd>},
    {"ItemIsOwned", &AdapterFor<&CharacterFunctions::ItemIsOwned>},
    {"ItemRemove", &AdapterFor<&CharacterFunctions::ItemRemove>},
    {"CharacterGetItemCount", &AdapterFor<&CharacterFunctions::CharacterGetItemCount>},
    {"CharacterGetItem", &AdapterFor<&CharacterFunctions::CharacterGetItem>},
    {"EnterCutscene", &AdapterFor<&CutsceneFunctions::EnterCutscene>},
    {"LeaveCutscene", &AdapterFor<&CutsceneFunctions::LeaveCutscene>},
    {"DisableHud", &AdapterFor<&GameFlagFunctions::DisableHud>},
    {"EnableHud", &AdapterFor<&GameFlagFunctions::EnableHud>},
    {"IsHudEnabled", &AdapterFor<&GameFlagFunctions::IsHudEnabled>},
    {"PlayMusic", &AdapterFor<&SoundFunctions::PlayMusic>},
    {"StopMusic", &AdapterFor<&SoundFunctions::StopMusic>},
    {"PlayAmbient", &AdapterFor<&SoundFunctions::PlayAmbient>},
    {"StopAmbient", &AdapterFor<&SoundFunctions::StopAmbient>},
    {"PlayMsx", &AdapterFor<&SoundFunctions::PlayMsx>},
    {"StopMsx", &AdapterFor<&SoundFunctions::StopMusic>},
    {"PlaySfx", &AdapterFor<&SoundFunctions::PlaySfx>},
    {"StopSfx", &AdapterFor<&SoundFunctions::StopSfx>},
    {"ToggleCheatAutoplay", &AdapterFor<&GameFlagFunctions::ToggleCheatAutoplay>},
    {"ToggleCheatHotspots", &AdapterFor<&GameFlagFunctions::ToggleCheatHotspots>},
    {"ToggleCheatQuickHelp", &AdapterFor<&GameFlagFunctions::ToggleCheatQuickHelp>},
    {"LogTime", &AdapterFor<&SystemFunctions::LogTime>},
    {"TakeDamagedSave", &AdapterFor<&ProfileFunctions::TakeDamagedSave>},
    {"StartPlayerOver", &AdapterFor<&ProfileFunctions::StartPlayerOver>},
    {"GetDamagedSaveCopy", &AdapterFor<&ProfileFunctions::GetDamagedSaveCopy>},
    {"TakeSaveFailure", &AdapterFor<&ProfileFunctions::TakeSaveFailure>},
    {"SaveFailureReason", &AdapterFor<&ProfileFunctions::SaveFailureReason>},
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
