#pragma once
// The 16 command slots between the main thread (the only poster) and the
// sound thread, plus the ready and quit flags. There is no lock: each slot's
// posted and done flags have one writer at a time, and release/acquire on
// them orders the argument words. Posts are numbered as their slot is
// written, and the sound thread runs them strictly in number order, so a
// waited post never overtakes an earlier one that landed in a higher slot.

#include "platform/SoundCommand.h"

#include <atomic>
#include <cstdint>
#include <functional>

class SoundMailbox {
public:
    static constexpr int kSlotCount = 16;
    // Full-mailbox retries before a post is dropped (with 1 ms idles, ~1 s).
    static constexpr int kPostAttempts = 1000;

    // Called between retries and while waiting: sleeps 1 ms on a running
    // thread; in step mode it runs a pass of the sound thread instead.
    using Idle = std::function<void()>;

    SoundMailbox();
    SoundMailbox(const SoundMailbox&) = delete;
    SoundMailbox& operator=(const SoundMailbox&) = delete;

    // Main thread. False when not ready or when no slot freed up in time; the
    // caller then still owns what the command owns. With `wait`, the result
    // words are copied back into `command`.
    bool Post(SoundCommand& command, bool wait, const Idle& idle);

    // Sound thread: the slot holding the next command in posting order, or -1
    // when it is not visible yet.
    int TakeNext();
    SoundCommand& Command(int slot) { return slots_[slot].command; }
    void Complete(int slot);
    // Frees what every pending command owns and marks it done, so that
    // nothing leaks and no poster waits once the thread has gone.
    void DiscardPending();

    bool IsReady() const { return ready_.load(std::memory_order_acquire) != 0; }
    void SetReady(bool ready) { ready_.store(ready ? 1 : 0, std::memory_order_release); }
    bool QuitRequested() const { return quit_.load(std::memory_order_acquire) != 0; }
    void RequestQuit() { quit_.store(1, std::memory_order_release); }
    void ClearQuit() { quit_.store(0, std::memory_order_release); }

private:
    struct Slot {
        SoundCommand command;
        uint32_t number = 0;
        std::atomic<uint8_t> posted{0};
        std::atomic<uint8_t> done{1};
    };

    int FindFreeSlot() const;

    Slot slots_[kSlotCount];
    std::atomic<uint8_t> ready_{0};
    std::atomic<uint8_t> quit_{0};
    uint32_t nextNumber_ = 0;     // main thread only
    uint32_t expectedNumber_ = 0; // sound thread only
};
