#include "platform/SoundStream.h"

#include "platform/SoundGain.h"

bool SoundStream::Create() {
    alGetError();
    alGenSources(1, &source_);
    alGenBuffers(kBufferCount, buffers_);
    alSourcei(source_, AL_SOURCE_RELATIVE, AL_TRUE);
    piece_ = std::make_unique<char[]>(OggStream::kPieceSize);
    return alGetError() == AL_NO_ERROR;
}

void SoundStream::Destroy() {
    Stop();
    alDeleteSources(1, &source_);
    alDeleteBuffers(kBufferCount, buffers_);
    source_ = 0;
}

void SoundStream::Start(FileManager& files, const char* name, float volume, bool loop,
                        float musicVolume) {
    Stop();
    if (!name) return;
    name_ = std::string(name) + ".ogg";
    volume_ = volume;
    loop_ = loop;
    fadeSpeed_ = 0.0f;
    if (!decoder_.Open(files, name_)) return;
    alSourcei(source_, AL_LOOPING, AL_FALSE);  // looping reopens the file instead
    ApplyGain(musicVolume);
    alSourcef(source_, AL_PITCH, 1.0f);
    if (!Fill(buffers_[0])) {
        Stop();  // a decoder left open would read as playing
        return;
    }
    alSourceQueueBuffers(source_, 1, &buffers_[0]);
    if (Fill(buffers_[1])) alSourceQueueBuffers(source_, 1, &buffers_[1]);
    alSourcePlay(source_);
}

void SoundStream::Stop() {
    decoder_.Close();
    name_.clear();
    fadeSpeed_ = 0.0f;
    if (source_ == 0) return;
    alSourceStop(source_);
    ALint queued = 0;
    alGetSourcei(source_, AL_BUFFERS_QUEUED, &queued);
    for (ALint i = 0; i < queued; ++i) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source_, 1, &buffer);
    }
}

void SoundStream::FadeOut(float seconds) {
    if (seconds <= 0.0f) {
        Stop();
    } else {
        fadeSpeed_ = -1.0f / seconds;
    }
}

bool SoundStream::Fill(ALuint buffer) {
    int32_t bytes = decoder_.ReadPiece(piece_.get(), OggStream::kPieceSize, loop_);
    if (bytes < 0) return false;
    alGetError();
    alBufferData(buffer, decoder_.Format(), piece_.get(), bytes, decoder_.Rate());
    return alGetError() == AL_NO_ERROR;
}

void SoundStream::Update(double elapsedMs, float musicVolume) {
    if (!IsOpen()) return;
    RefillProcessed();
    if (!IsOpen() || fadeSpeed_ == 0.0f) return;
    volume_ += float(elapsedMs / 1000.0) * fadeSpeed_;
    if (volume_ < 0.0f) {
        volume_ = 0.0f;
        Stop();
        return;
    }
    if (volume_ > 1.0f) {
        volume_ = 1.0f;
        fadeSpeed_ = 0.0f;
    }
    ApplyGain(musicVolume);
}

void SoundStream::RefillProcessed() {
    ALint processed = 0;
    alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
    bool refilled = false;
    for (ALint i = 0; i < processed && !decoder_.Ended(); ++i) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source_, 1, &buffer);
        if (!Fill(buffer)) {
            Stop();
            return;
        }
        alSourceQueueBuffers(source_, 1, &buffer);
        refilled = true;
    }
    if (refilled) ResumeAfterUnderrun();
}

// When both buffers ran out before the refill, the source stopped and would
// not start the re-queued ones by itself.
void SoundStream::ResumeAfterUnderrun() {
    ALint state = 0, queued = 0;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    alGetSourcei(source_, AL_BUFFERS_QUEUED, &queued);
    if (state == AL_STOPPED && queued > 0) alSourcePlay(source_);
}

void SoundStream::ApplyGain(float musicVolume) {
    alSourcef(source_, AL_GAIN, SoundGain(musicVolume, volume_));
}

void SoundStream::SetVolume(float volume, float musicVolume) {
    volume_ = volume;
    ApplyGain(musicVolume);
}

// On a busy machine the queued pieces may play out before the next refill:
// the source stands stopped until then, yet the track goes on, and whoever
// waits for it to end must not start another over it.
bool SoundStream::IsPlaying() const {
    return IsOpen() && (!decoder_.Ended() || SourcePlaying());
}

bool SoundStream::SourcePlaying() const {
    if (source_ == 0) return false;
    ALint state = 0;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

int SoundStream::PiecesQueued() const {
    ALint queued = 0;
    if (source_ != 0) alGetSourcei(source_, AL_BUFFERS_QUEUED, &queued);
    return queued;
}
