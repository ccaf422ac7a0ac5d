#pragma once
// Interleaved PCM decoded from a sound file, in a malloc'ed block so that
// its ownership can travel through the sound mailbox as a plain pointer.

#include <cstdint>
#include <cstdlib>

struct DecodedSound {
    // OpenAL's format values, kept here so that decoders need no AL header.
    static constexpr int32_t kMono8 = 0x1100;
    static constexpr int32_t kMono16 = 0x1101;
    static constexpr int32_t kStereo8 = 0x1102;
    static constexpr int32_t kStereo16 = 0x1103;

    DecodedSound() = default;
    DecodedSound(const DecodedSound&) = delete;
    DecodedSound& operator=(const DecodedSound&) = delete;
    ~DecodedSound() { Reset(); }

    void Reset() {
        std::free(data);
        data = nullptr;
        size = 0;
    }
    // Hands the block to a new owner, who frees it with std::free.
    void* Release() {
        void* block = data;
        data = nullptr;
        size = 0;
        return block;
    }

    uint8_t* data = nullptr;
    uint32_t size = 0;
    int32_t format = 0;
    int32_t rate = 0;
};
