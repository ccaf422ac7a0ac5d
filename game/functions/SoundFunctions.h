#pragma once
// The script functions for music, ambience and sound effects. Scripts list
// tracks rather than start them: the game's step keeps playing random picks
// from the lists with pauses in between until a stop empties them. Stream
// commands go through the game's track hooks, so that tests need no device.

namespace SoundFunctions {

// Append a track to the music or the ambience list; nothing is checked, so a
// name listed twice is picked twice as often. No text does nothing.
void PlayMusic(const char* track, float volume, int minPause, int maxPause);
void PlayAmbient(const char* track, float volume, int minPause, int maxPause);
// "StopMusic" and "StopMsx": empty the list, forget its pause and stop the
// channel without waiting for it.
void StopMusic(float fade);
void StopAmbient(float fade);
// Starts one track on the music channel at once; the music list waits until
// it has ended.
void PlayMsx(const char* track, float volume, bool loop);
// Plays an effect once. A name beginning "Sfx/Leave_" (exact case) also
// drops the main loop's measured time: the scene change it accompanies
// would otherwise be caught up in a burst of steps.
void PlaySfx(const char* sound, float volume);
// Accepted and ignored.
void StopSfx(const char* sound, float volume);
// Apply the stored setting ("[SETTINGS]/volume_sfx" or "volume_music"); the
// argument is ignored, scripts store the setting first.
void UpdateSFXVolume(float ignored);
void UpdateMusicVolume(float ignored);

}  // namespace SoundFunctions
