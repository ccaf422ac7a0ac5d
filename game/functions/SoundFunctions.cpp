#include "game/functions/SoundFunctions.h"

#include <cstring>

#include "game/Game.h"
#include "game/TrackList.h"
#include "platform/DataTree.h"
#include "platform/Sound.h"

namespace SoundFunctions {

namespace {

constexpr const char* kLeavePrefix = "Sfx/Leave_";
constexpr const char* kEffectVolumeKey = "[SETTINGS]/volume_sfx";
constexpr const char* kMusicVolumeKey = "[SETTINGS]/volume_music";
// The volume a set-volumes command leaves as it is.
constexpr float kKeepVolume = -1.0f;

void Append(TrackList& list, const char* track, float volume, int minPause, int maxPause) {
    if (!track) return;
    list.records.push_back({track, volume, minPause, maxPause});
}

void Stop(TrackList& list, int channel, float fade) {
    list.Clear();
    Game* game = Game::Current();
    if (game && game->trackHooks.stopStream) game->trackHooks.stopStream(channel, fade);
}

void SetVolumes(float effectVolume, float musicVolume) {
    Game* game = Game::Current();
    if (game && game->trackHooks.setVolumes) game->trackHooks.setVolumes(effectVolume, musicVolume);
}

}  // namespace

void PlayMusic(const char* track, float volume, int minPause, int maxPause) {
    Append(MusicTracks, track, volume, minPause, maxPause);
}

void PlayAmbient(const char* track, float volume, int minPause, int maxPause) {
    Append(AmbientTracks, track, volume, minPause, maxPause);
}

void StopMusic(float fade) { Stop(MusicTracks, Sound::kMusicChannel, fade); }

void StopAmbient(float fade) { Stop(AmbientTracks, Sound::kAmbienceChannel, fade); }

void PlayMsx(const char* track, float volume, bool loop) {
    Game* game = Game::Current();
    if (!track || !game || !game->trackHooks.startStream) return;
    game->trackHooks.startStream(Sound::kMusicChannel, track, volume, loop);
}

void PlaySfx(const char* sound, float volume) {
    if (!sound) return;
    Sound::Play(volume, false, "%s", sound);
    if (std::strncmp(sound, kLeavePrefix, std::strlen(kLeavePrefix)) != 0) return;
    if (Game* game = Game::Current()) game->resetAccumulator = true;
}

void StopSfx(const char*, float) {}

void UpdateSFXVolume(float) { SetVolumes(DataTree::GetFloat(kEffectVolumeKey), kKeepVolume); }

void UpdateMusicVolume(float) { SetVolumes(kKeepVolume, DataTree::GetFloat(kMusicVolumeKey)); }

}  // namespace SoundFunctions
