#include "platform/Sound.h"

#include "platform/FileManager.h"
#include "platform/OggDecoder.h"
#include "platform/SoundSystem.h"
#include "platform/WavDecoder.h"

#include <cstdarg>

bool Sound::Init(float effectVolume, float musicVolume) {
    return SoundSystem::Global().Init(effectVolume, musicVolume);
}

void Sound::Shutdown() { SoundSystem::Global().Shutdown(); }

void Sound::SetVolumes(float effectVolume, float musicVolume) {
    SoundSystem::Global().PostVolumes(effectVolume, musicVolume);
}

bool Sound::PostCommand(SoundCommand& command, bool wait) {
    return SoundSystem::Global().PostCommand(command, wait);
}

bool Sound::Load(int buffer, bool wait, const char* format, ...) {
    FileManager::NameBuffer name;
    va_list args;
    va_start(args, format);
    bool named = FileManager::FormatName(name, FileManager::kMaxNameLength, format, args);
    va_end(args);
    return named && SoundSystem::Global().Load(buffer, wait, name);
}

int Sound::Find(const char* format, ...) {
    FileManager::NameBuffer name;
    va_list args;
    va_start(args, format);
    bool named = FileManager::FormatName(name, FileManager::kMaxNameLength, format, args);
    va_end(args);
    return named ? SoundSystem::Global().Find(name) : -1;
}

void Sound::Play(float volume, bool loop, const char* format, ...) {
    FileManager::NameBuffer name;
    va_list args;
    va_start(args, format);
    bool named = FileManager::FormatName(name, FileManager::kMaxNameLength, format, args);
    va_end(args);
    if (named) SoundSystem::Global().Play(volume, loop, name);
}

bool Sound::PlayStream(int channel, float volume, bool loop, const char* format, ...) {
    FileManager::NameBuffer name;
    va_list args;
    va_start(args, format);
    bool named = FileManager::FormatName(name, FileManager::kMaxNameLength, format, args);
    va_end(args);
    return named && SoundSystem::Global().PlayStream(channel, volume, loop, name);
}

bool Sound::QueryStream(int channel, float* volume, bool* playing) {
    return SoundSystem::Global().QueryStream(channel, volume, playing);
}

bool Sound::LoadOgg(const char* path, DecodedSound& out) {
    return DecodeOgg(FileManager::Global(), path, out);
}

bool Sound::LoadWav(const char* path, DecodedSound& out) {
    return DecodeWav(FileManager::Global(), path, out);
}
