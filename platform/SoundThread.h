#pragma once
// Everything the sound thread owns: the OpenAL device and context, 8 effect
// buffers, 16 effect voices, 4 stream channels and a FileManager of its own.
// Only the thread that opened the device may call into it.

#include "platform/FileManager.h"
#include "platform/SoundCommand.h"
#include "platform/SoundMailbox.h"
#include "platform/SoundStream.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <cstdint>
#include <functional>
#include <string>

class SoundThread {
public:
    static constexpr int kBufferCount = 8;
    static constexpr int kSourceCount = 16;
    static constexpr int kStreamCount = 4;

    using Clock = std::function<uint64_t()>;  // milliseconds

    SoundThread(SoundMailbox& mailbox, Clock clock);
    ~SoundThread();
    SoundThread(const SoundThread&) = delete;
    SoundThread& operator=(const SoundThread&) = delete;

    // Mounts the roots of `global` that end in "Global" or "Shared".
    void MountRoots(const FileManager& global);
    // False (device closed again) on any failure; sets ready on success.
    bool OpenDevice();
    void CloseDevice();
    // One pass: runs the posted commands in posting order, then refills and
    // fades the streams by the time since the previous pass.
    void Pass();
    // The thread body after MountRoots: serves until the quit flag is set.
    // `opened` is told once whether the device opened.
    void Serve(const std::function<void(bool)>& opened);

    void RunCommand(SoundCommand& command);
    void UpdateStream(int channel, double elapsedMs);

    // For tests: what a voice or buffer holds.
    int SourceBuffer(int source) const { return sources_[source].buffer; }
    bool SourcePlaying(int source) const;
    bool StreamSourcePlaying(int channel) const { return streams_[channel].SourcePlaying(); }
    int StreamPiecesQueued(int channel) const { return streams_[channel].PiecesQueued(); }
    float SourceGain(int source) const;
    const std::string& BufferName(int buffer) const { return buffers_[buffer].name; }

private:
    struct Voice {
        ALuint source = 0;
        int buffer = -1;
        float volume = 1.0f;
    };
    struct EffectBuffer {
        ALuint buffer = 0;
        std::string name;      // empty when nothing is loaded
        uint64_t loadStamp = 0;  // load order; 0 when unloaded
    };

    bool CreateObjects();
    void LoadBuffer(SoundCommand& command);
    void PlayEffect(const SoundCommand& command);
    void StopSource(int source);
    void ClearBuffer(int buffer);
    int FindBuffer(const char* name) const;
    void SetVolumes(const SoundCommand& command);
    void QueryStream(SoundCommand& command);

    int ChooseBuffer() const;
    int ChooseSource(int buffer) const;
    void DetachBuffer(int buffer);
    void UploadSilence(int buffer);
    void ApplyEffectGain(int source);

    SoundMailbox& mailbox_;
    Clock clock_;
    FileManager files_;
    ALCdevice* device_ = nullptr;
    ALCcontext* context_ = nullptr;
    Voice sources_[kSourceCount];
    EffectBuffer buffers_[kBufferCount];
    SoundStream streams_[kStreamCount];
    float effectVolume_ = 1.0f;
    float musicVolume_ = 1.0f;
    uint64_t loadCounter_ = 0;
    uint64_t previousPass_ = 0;
};
