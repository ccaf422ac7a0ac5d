#include "platform/SoundSystem.h"

#include "platform/FileManager.h"
#include "platform/OggDecoder.h"
#include "platform/WavDecoder.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <string>
#include <system_error>

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(1);

void SleepOneTick() { std::this_thread::sleep_for(kPollInterval); }

bool DecodeEffect(FileManager& files, const char* name, DecodedSound& pcm) {
    std::string path = std::string(name) + ".ogg";
    if (DecodeOgg(files, path.c_str(), pcm)) return true;
    path = std::string(name) + ".wav";
    return DecodeWav(files, path.c_str(), pcm);
}

}  // namespace

SoundSystem& SoundSystem::Global() {
    static SoundSystem system(FileManager::Global());
    return system;
}

uint64_t SoundSystem::SteadyMilliseconds() {
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

SoundSystem::SoundSystem(FileManager& files, Clock clock)
    : files_(files), thread_(mailbox_, std::move(clock)), idle_(SleepOneTick) {}

SoundSystem::~SoundSystem() { Shutdown(); }

void SoundSystem::MountRootsOnce() {
    if (!rootsMounted_) thread_.MountRoots(files_);
    rootsMounted_ = true;
}

bool SoundSystem::Init(float effectVolume, float musicVolume) {
    if (worker_.joinable() || stepped_) return true;
    mailbox_.ClearQuit();
    std::atomic<int> report{-1};
    try {
        worker_ = std::thread([this, &report] {
            MountRootsOnce();
            thread_.Serve([&report](bool opened) { report.store(opened ? 1 : 0, std::memory_order_release); });
        });
    } catch (const std::system_error&) {
        return false;
    }
    while (report.load(std::memory_order_acquire) < 0) SleepOneTick();
    PostVolumes(effectVolume, musicVolume);
    return true;
}

bool SoundSystem::InitStepped(float effectVolume, float musicVolume) {
    if (worker_.joinable() || stepped_) return true;
    stepped_ = true;
    idle_ = [this] { Step(); };
    MountRootsOnce();
    thread_.OpenDevice();
    PostVolumes(effectVolume, musicVolume);
    return true;
}

void SoundSystem::Step() {
    if (mailbox_.IsReady()) thread_.Pass();
}

void SoundSystem::Shutdown() {
    if (worker_.joinable()) {
        mailbox_.RequestQuit();
        worker_.join();
    }
    if (stepped_) thread_.CloseDevice();
    stepped_ = false;
}

void SoundSystem::PostVolumes(float effectVolume, float musicVolume) {
    SoundCommand command;
    command.type = kSoundSetVolumes;
    command.args[0].i = -1;
    command.args[1].f = effectVolume;
    command.args[2].i = -1;
    command.args[3].f = musicVolume;
    PostCommand(command, false);
}

bool SoundSystem::PostCommand(SoundCommand& command, bool wait) {
    return mailbox_.Post(command, wait, idle_);
}

bool SoundSystem::Load(int buffer, bool wait, const char* name) {
    if (!name || !mailbox_.IsReady()) return false;
    DecodedSound pcm;
    if (!DecodeEffect(files_, name, pcm) || pcm.size > INT32_MAX) return false;
    SoundCommand command;
    command.type = kSoundLoadBuffer;
    command.args[0].p = strdup(name);
    command.args[1].i = buffer;
    command.args[3].i = int32_t(pcm.size);
    command.args[4].i = pcm.format;
    command.args[5].i = pcm.rate;
    command.args[2].p = pcm.Release();
    if (PostCommand(command, wait)) return true;
    command.FreeOwned();
    return false;
}

int SoundSystem::Find(const char* name) {
    if (!name) return -1;
    SoundCommand command;
    command.type = kSoundFindBuffer;
    command.args[0].p = const_cast<char*>(name);  // read only while we wait
    command.args[1].i = -1;
    return PostCommand(command, true) ? command.args[1].i : -1;
}

void SoundSystem::Play(float volume, bool loop, const char* name) {
    int buffer = Find(name);
    if (buffer < 0) {
        if (!Load(-1, false, name)) return;
        buffer = Find(name);
        if (buffer < 0) return;
    }
    SoundCommand command;
    command.type = kSoundPlayEffect;
    command.args[0].i = -1;
    command.args[1].i = buffer;
    command.args[2].f = volume;
    command.args[3].b = loop ? 1 : 0;
    PostCommand(command, false);
}

bool SoundSystem::PlayStream(int channel, float volume, bool loop, const char* name) {
    if (!name) return false;
    SoundCommand command;
    command.type = kSoundStartStream;
    command.args[0].i = channel;
    command.args[1].p = strdup(name);
    command.args[2].f = volume;
    command.args[3].b = loop ? 1 : 0;
    if (PostCommand(command, false)) return true;
    command.FreeOwned();
    return false;
}

bool SoundSystem::QueryStream(int channel, float* volume, bool* playing) {
    SoundCommand command;
    command.type = kSoundQueryStream;
    command.args[0].i = channel;
    bool answered = PostCommand(command, true);
    if (volume) *volume = answered ? command.args[1].f : 0.0f;
    if (playing) *playing = answered && command.args[2].b != 0;
    return answered;
}
