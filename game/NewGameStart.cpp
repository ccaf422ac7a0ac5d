#include "game/NewGameStart.h"

#include "platform/DataTree.h"
#include "script/runtime/execution/Scheduler.h"
#include "script/runtime/machine/ScriptVM.h"

bool NewGameStart::Hold(int32_t slot) {
    if (!DataTree::StartPlayerOverHeld(slot)) return false;
    if (phase_ == Phase::kNone && DataTree::HoldsPlayerAside()) phase_ = Phase::kHeld;
    return true;
}

uint32_t NewGameStart::BeginRun() {
    phase_ = Phase::kRunning;
    answering_ = true;
    refused_ = false;
    // 0 is every other thread's lineage.
    if (++lineage_ == 0) ++lineage_;
    return lineage_;
}

bool NewGameStart::EndFirstRun() {
    answering_ = false;
    return !refused_;
}

bool NewGameStart::CanStillLoad() const {
    return IsRunning() && Vrel::ScriptVM::Global().GetScheduler().HasWaiting(lineage_);
}

bool NewGameStart::Commit() {
    phase_ = Phase::kNone;
    return DataTree::KeepNewPlayer();
}

bool NewGameStart::RollBack() {
    if (!IsPending()) return false;
    // Stopped first: a thread the start left waiting must not load a scene
    // over the menu, nor write the game under way's file.
    if (IsRunning()) Vrel::ScriptVM::Global().StopThreads(lineage_);
    refused_ = answering_;
    phase_ = Phase::kNone;
    DataTree::PutOldPlayerBack();
    return true;
}
