#pragma once
// The sound state: the mailbox, the sound thread's own objects and the
// thread itself, with the main thread's operations on them. `Sound` offers
// the process-wide instance with printf-style names; tests make their own
// instances and may run them in step mode, where no thread is started and
// every wait of a post runs one pass of the sound thread on the caller.

#include "platform/DecodedSound.h"
#include "platform/SoundMailbox.h"
#include "platform/SoundThread.h"

#include <cstdint>
#include <thread>

class FileManager;

class SoundSystem {
public:
    using Clock = SoundThread::Clock;

    static SoundSystem& Global();
    static uint64_t SteadyMilliseconds();

    // `files` decodes effects on the main thread, and its "Global" and
    // "Shared" roots are mounted for the sound thread's streams.
    explicit SoundSystem(FileManager& files, Clock clock = SteadyMilliseconds);
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // Starts the sound thread and waits until it has opened the device or
    // failed to; false only when no thread could be started. With a device
    // it then posts the initial volumes.
    bool Init(float effectVolume, float musicVolume);
    // Step mode: opens the device on the calling thread; Step runs a pass.
    bool InitStepped(float effectVolume, float musicVolume);
    void Step();
    // Sets the quit flag and joins the thread (step mode: closes the device).
    void Shutdown();

    bool PostCommand(SoundCommand& command, bool wait);
    bool Load(int buffer, bool wait, const char* name);
    int Find(const char* name);
    void Play(float volume, bool loop, const char* name);
    bool PlayStream(int channel, float volume, bool loop, const char* name);
    // The channel's volume and whether it plays; false with no device.
    bool QueryStream(int channel, float* volume, bool* playing);

    // Tests: replaces what a post does between retries and while waiting.
    void SetIdle(SoundMailbox::Idle idle) { idle_ = std::move(idle); }
    SoundMailbox& Mailbox() { return mailbox_; }
    SoundThread& ThreadState() { return thread_; }

    // Command 10 for every source and channel; refused without a device.
    void PostVolumes(float effectVolume, float musicVolume);

private:
    void MountRootsOnce();

    FileManager& files_;
    SoundMailbox mailbox_;
    SoundThread thread_;
    std::thread worker_;
    SoundMailbox::Idle idle_;
    bool stepped_ = false;
    bool rootsMounted_ = false;
};
