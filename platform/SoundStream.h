#pragma once
// One music or ambience channel of the sound thread: a source relative to
// the listener, two buffers queued alternately and the piecewise decoder.

#include "platform/OggStream.h"

#include <AL/al.h>

#include <memory>
#include <string>

class FileManager;

class SoundStream {
public:
    static constexpr int kBufferCount = 2;

    SoundStream() = default;
    SoundStream(const SoundStream&) = delete;
    SoundStream& operator=(const SoundStream&) = delete;

    // OpenAL objects; false on any AL error.
    bool Create();
    void Destroy();

    // Opens "<name>.ogg" and starts playing; the channel stays idle when the
    // file cannot be streamed.
    void Start(FileManager& files, const char* name, float volume, bool loop, float musicVolume);
    void Stop();
    // Fade time <= 0 stops at once; otherwise the volume falls to 0 linearly
    // over that many seconds and the channel stops.
    void FadeOut(float seconds);
    // Refills finished buffers and advances a fade by `elapsedMs`.
    void Update(double elapsedMs, float musicVolume);

    void ApplyGain(float musicVolume);
    // True while the track has more to play, also through an underrun.
    bool IsPlaying() const;
    // The source itself; stopped in an underrun until the next refill.
    bool SourcePlaying() const;
    // The pieces on the source's queue, played or not.
    int PiecesQueued() const;
    float Volume() const { return volume_; }
    void SetVolume(float volume, float musicVolume);

private:
    bool IsOpen() const { return !name_.empty(); }
    // Decodes the next piece into `buffer`; false when there was none.
    bool Fill(ALuint buffer);
    void RefillProcessed();
    void ResumeAfterUnderrun();

    ALuint source_ = 0;
    ALuint buffers_[kBufferCount] = {};
    std::string name_;
    OggStream decoder_;
    std::unique_ptr<char[]> piece_;
    float volume_ = 0.0f;
    float fadeSpeed_ = 0.0f;
    bool loop_ = false;
};
