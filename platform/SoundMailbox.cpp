#include "platform/SoundMailbox.h"

SoundMailbox::SoundMailbox() = default;

int SoundMailbox::FindFreeSlot() const {
    for (int i = 0; i < kSlotCount; ++i) {
        // done first: it is stored after posted is cleared.
        if (slots_[i].done.load(std::memory_order_acquire) == 1 &&
            slots_[i].posted.load(std::memory_order_relaxed) == 0) {
            return i;
        }
    }
    return -1;
}

bool SoundMailbox::Post(SoundCommand& command, bool wait, const Idle& idle) {
    if (!IsReady()) return false;
    int slot = FindFreeSlot();
    for (int failures = 0; slot < 0; slot = FindFreeSlot()) {
        if (++failures >= kPostAttempts) return false;
        idle();
    }
    Slot& target = slots_[slot];
    target.command = command;
    target.number = nextNumber_++;
    target.done.store(0, std::memory_order_relaxed);
    target.posted.store(1, std::memory_order_release);
    if (!wait) return true;
    while (target.done.load(std::memory_order_acquire) == 0) idle();
    for (int i = 0; i < SoundCommand::kArgCount; ++i) command.args[i] = target.command.args[i];
    return true;
}

int SoundMailbox::TakeNext() {
    for (int i = 0; i < kSlotCount; ++i) {
        if (slots_[i].posted.load(std::memory_order_acquire) == 1 &&
            slots_[i].number == expectedNumber_) {
            ++expectedNumber_;
            return i;
        }
    }
    return -1;
}

void SoundMailbox::Complete(int slot) {
    slots_[slot].posted.store(0, std::memory_order_relaxed);
    slots_[slot].done.store(1, std::memory_order_release);
}

void SoundMailbox::DiscardPending() {
    for (int slot = TakeNext(); slot >= 0; slot = TakeNext()) {
        slots_[slot].command.FreeOwned();
        Complete(slot);
    }
}
