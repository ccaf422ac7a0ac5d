#pragma once
// The record the main thread posts to the sound thread. Results of a waited
// post come back in the same argument words.

#include <cstdint>

// One argument word. Owned texts and PCM travel as full pointers.
union SoundArg {
    int32_t i;
    float f;
    uint8_t b;
    void* p;
};

enum SoundCommandType : uint32_t {
    kSoundLoadBuffer = 1,   // [0] name (owned), [1] buffer or -1, [2] PCM (owned), [3] bytes, [4] format, [5] rate
    kSoundPlayEffect = 2,   // [0] source or -1, [1] buffer, [2] volume, [3] loop
    kSoundStopSource = 3,   // [0] source
    kSoundClearBuffer = 4,  // [0] buffer
    kSoundClearAllBuffers = 5,
    kSoundFindBuffer = 6,   // [0] name (not owned) -> [1] buffer or -1
    kSoundStartStream = 7,  // [0] channel, [1] name without extension (owned), [2] volume, [3] loop
    kSoundStopStream = 8,   // [0] channel, [1] fade seconds
    kSoundQueryStream = 9,  // [0] channel -> [1] volume, [2] playing
    kSoundSetVolumes = 10,  // [0] source or -1, [1] effect volume, [2] channel or -1, [3] music volume
};

struct SoundCommand {
    static constexpr int kArgCount = 6;

    uint32_t type = 0;
    SoundArg args[kArgCount] = {};

    // Frees what a command of this type owns; the sound thread does it after
    // running, the poster when the post is refused.
    void FreeOwned();
};
