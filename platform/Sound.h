#pragma once
// The main thread's sound interface over the process-wide SoundSystem:
// effects are decoded here and handed to the sound thread, music and
// ambience stream there. Without an audio device every call does nothing.

#include "platform/DecodedSound.h"
#include "platform/SoundCommand.h"

class Sound {
public:
    // Stream channels the game uses.
    static constexpr int kMusicChannel = 0;
    static constexpr int kAmbienceChannel = 1;

    // Start-up: starts the sound thread, waits for its device report and
    // posts the initial volumes the caller read from the data tree.
    static bool Init(float effectVolume, float musicVolume);
    // Shutdown: quit flag, then join.
    static void Shutdown();

    static bool PostCommand(SoundCommand& command, bool wait);
    // The global effect and music volumes, 0 to 1, for every voice and stream.
    static void SetVolumes(float effectVolume, float musicVolume);
    // Decodes "<name>.ogg", else "<name>.wav", through the global
    // FileManager and loads it into `buffer` (-1: the sound thread chooses).
    static bool Load(int buffer, bool wait, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // The buffer holding the effect, or -1.
    static int Find(const char* format, ...) __attribute__((format(printf, 1, 2)));
    // Plays an effect, loading it first when it is not loaded yet.
    static void Play(float volume, bool loop, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // Starts "<name>.ogg" on a stream channel.
    static bool PlayStream(int channel, float volume, bool loop, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // Asks the sound thread, waiting, for a channel's volume and whether it
    // plays; false (silent) without a device.
    static bool QueryStream(int channel, float* volume, bool* playing);

    // Whole-file decoding through the global FileManager.
    static bool LoadOgg(const char* path, DecodedSound& out);
    static bool LoadWav(const char* path, DecodedSound& out);
};
