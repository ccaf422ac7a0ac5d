#include "platform/SoundThread.h"

#include "platform/AsciiCase.h"
#include "platform/SoundGain.h"

#include <thread>

namespace {

bool InRange(int32_t index, int count) { return index >= 0 && index < count; }

constexpr uint8_t kSilentSample = 128;  // 8-bit PCM is unsigned
constexpr ALsizei kSilenceRate = 11025;

}  // namespace

SoundThread::SoundThread(SoundMailbox& mailbox, Clock clock)
    : mailbox_(mailbox), clock_(std::move(clock)) {}

SoundThread::~SoundThread() { CloseDevice(); }

void SoundThread::MountRoots(const FileManager& global) { files_.MountSoundRoots(global); }

bool SoundThread::OpenDevice() {
    device_ = alcOpenDevice(nullptr);
    if (device_) context_ = alcCreateContext(device_, nullptr);
    if (!context_ || !alcMakeContextCurrent(context_) || !CreateObjects()) {
        CloseDevice();
        return false;
    }
    previousPass_ = clock_();
    mailbox_.SetReady(true);
    return true;
}

bool SoundThread::CreateObjects() {
    alGetError();
    alDistanceModel(AL_NONE);
    for (EffectBuffer& buffer : buffers_) alGenBuffers(1, &buffer.buffer);
    for (Voice& voice : sources_) alGenSources(1, &voice.source);
    if (alGetError() != AL_NO_ERROR) return false;
    for (SoundStream& stream : streams_) {
        if (!stream.Create()) return false;
    }
    return true;
}

void SoundThread::CloseDevice() {
    mailbox_.SetReady(false);
    if (context_) {
        for (SoundStream& stream : streams_) stream.Destroy();
        for (int i = 0; i < kSourceCount; ++i) StopSource(i);
        for (Voice& voice : sources_) alDeleteSources(1, &voice.source);
        for (EffectBuffer& buffer : buffers_) alDeleteBuffers(1, &buffer.buffer);
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(context_);
    }
    for (Voice& voice : sources_) voice = Voice();
    for (EffectBuffer& buffer : buffers_) buffer = EffectBuffer();
    if (device_) alcCloseDevice(device_);
    context_ = nullptr;
    device_ = nullptr;
    mailbox_.DiscardPending();
}

void SoundThread::Serve(const std::function<void(bool)>& opened) {
    bool open = OpenDevice();
    opened(open);
    if (!open) return;
    while (!mailbox_.QuitRequested()) {
        Pass();
        std::this_thread::yield();
    }
    CloseDevice();
}

void SoundThread::Pass() {
    uint64_t now = clock_();
    for (int slot = mailbox_.TakeNext(); slot >= 0; slot = mailbox_.TakeNext()) {
        RunCommand(mailbox_.Command(slot));
        mailbox_.Complete(slot);
    }
    double elapsed = double(now - previousPass_);
    for (int channel = 0; channel < kStreamCount; ++channel) UpdateStream(channel, elapsed);
    previousPass_ = now;
}

void SoundThread::RunCommand(SoundCommand& command) {
    if (!context_) {
        command.FreeOwned();
        return;
    }
    const SoundArg* args = command.args;
    switch (command.type) {
    case kSoundLoadBuffer: LoadBuffer(command); break;
    case kSoundPlayEffect: PlayEffect(command); break;
    case kSoundStopSource:
        if (InRange(args[0].i, kSourceCount)) StopSource(args[0].i);
        break;
    case kSoundClearBuffer:
        if (InRange(args[0].i, kBufferCount)) ClearBuffer(args[0].i);
        break;
    case kSoundClearAllBuffers:
        for (int i = 0; i < kBufferCount; ++i) ClearBuffer(i);
        break;
    case kSoundFindBuffer: command.args[1].i = FindBuffer(static_cast<const char*>(args[0].p)); break;
    case kSoundStartStream:
        if (InRange(args[0].i, kStreamCount)) {
            streams_[args[0].i].Start(files_, static_cast<const char*>(args[1].p), args[2].f,
                                      args[3].b != 0, musicVolume_);
        }
        break;
    case kSoundStopStream:
        if (InRange(args[0].i, kStreamCount)) streams_[args[0].i].FadeOut(args[1].f);
        break;
    case kSoundQueryStream: QueryStream(command); break;
    case kSoundSetVolumes: SetVolumes(command); break;
    default: break;
    }
    command.FreeOwned();
}

int SoundThread::ChooseBuffer() const {
    int oldest = 0;
    for (int i = 0; i < kBufferCount; ++i) {
        if (buffers_[i].name.empty()) return i;
        if (buffers_[i].loadStamp < buffers_[oldest].loadStamp) oldest = i;
    }
    return oldest;
}

void SoundThread::LoadBuffer(SoundCommand& command) {
    const SoundArg* args = command.args;
    int index = args[1].i < 0 ? ChooseBuffer() : args[1].i;
    const char* name = static_cast<const char*>(args[0].p);
    if (!InRange(index, kBufferCount) || !name || !args[2].p || args[3].i < 0) return;
    DetachBuffer(index);
    EffectBuffer& target = buffers_[index];
    alGetError();
    alBufferData(target.buffer, args[4].i, args[2].p, args[3].i, args[5].i);
    if (alGetError() != AL_NO_ERROR) {
        // The buffer still holds its old samples: naming it would play them.
        UploadSilence(index);
        return;
    }
    target.name = name;
    target.loadStamp = ++loadCounter_;
}

void SoundThread::DetachBuffer(int buffer) {
    for (int i = 0; i < kSourceCount; ++i) {
        if (sources_[i].buffer == buffer) StopSource(i);
    }
}

void SoundThread::UploadSilence(int buffer) {
    EffectBuffer& target = buffers_[buffer];
    alBufferData(target.buffer, AL_FORMAT_MONO8, &kSilentSample, 1, kSilenceRate);
    target.name.clear();
    target.loadStamp = 0;
}

void SoundThread::ClearBuffer(int buffer) {
    DetachBuffer(buffer);
    UploadSilence(buffer);
}

int SoundThread::ChooseSource(int buffer) const {
    for (int i = 0; i < kSourceCount; ++i) {
        if (sources_[i].buffer == buffer) return i;
    }
    for (int i = 0; i < kSourceCount; ++i) {
        if (!SourcePlaying(i)) return i;
    }
    return -1;
}

void SoundThread::PlayEffect(const SoundCommand& command) {
    const SoundArg* args = command.args;
    int buffer = args[1].i;
    if (!InRange(buffer, kBufferCount) || buffers_[buffer].name.empty()) return;
    int source = args[0].i < 0 ? ChooseSource(buffer) : args[0].i;
    if (!InRange(source, kSourceCount)) return;
    StopSource(source);
    Voice& voice = sources_[source];
    voice.buffer = buffer;
    voice.volume = args[2].f;
    alSourcei(voice.source, AL_LOOPING, args[3].b ? AL_TRUE : AL_FALSE);
    alSourcei(voice.source, AL_BUFFER, ALint(buffers_[buffer].buffer));
    ApplyEffectGain(source);
    alSourcef(voice.source, AL_PITCH, 1.0f);
    alSourcePlay(voice.source);
}

void SoundThread::StopSource(int source) {
    Voice& voice = sources_[source];
    alSourceStop(voice.source);
    alSourcei(voice.source, AL_BUFFER, 0);
    voice.buffer = -1;
}

bool SoundThread::SourcePlaying(int source) const {
    ALint state = 0;
    alGetSourcei(sources_[source].source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

float SoundThread::SourceGain(int source) const {
    ALfloat gain = 0.0f;
    alGetSourcef(sources_[source].source, AL_GAIN, &gain);
    return gain;
}

int SoundThread::FindBuffer(const char* name) const {
    if (!name) return -1;
    for (int i = 0; i < kBufferCount; ++i) {
        if (!buffers_[i].name.empty() && halvo::AsciiEqualNoCase(buffers_[i].name, name)) return i;
    }
    return -1;
}

void SoundThread::ApplyEffectGain(int source) {
    alSourcef(sources_[source].source, AL_GAIN, SoundGain(effectVolume_, sources_[source].volume));
}

void SoundThread::SetVolumes(const SoundCommand& command) {
    const SoundArg* args = command.args;
    float effect = args[1].f;
    if (effect >= 0.0f && args[0].i < 0) {
        effectVolume_ = effect;
        for (int i = 0; i < kSourceCount; ++i) ApplyEffectGain(i);
    } else if (effect >= 0.0f && InRange(args[0].i, kSourceCount)) {
        sources_[args[0].i].volume = effect;
        ApplyEffectGain(args[0].i);
    }
    float music = args[3].f;
    if (music >= 0.0f && args[2].i < 0) {
        musicVolume_ = music;
        for (SoundStream& stream : streams_) stream.ApplyGain(musicVolume_);
    } else if (music >= 0.0f && InRange(args[2].i, kStreamCount)) {
        streams_[args[2].i].SetVolume(music, musicVolume_);
    }
}

void SoundThread::QueryStream(SoundCommand& command) {
    int channel = command.args[0].i;
    bool valid = InRange(channel, kStreamCount);
    command.args[1].f = valid ? streams_[channel].Volume() : 0.0f;
    command.args[2].b = valid && streams_[channel].IsPlaying() ? 1 : 0;
}

void SoundThread::UpdateStream(int channel, double elapsedMs) {
    if (InRange(channel, kStreamCount)) streams_[channel].Update(elapsedMs, musicVolume_);
}
