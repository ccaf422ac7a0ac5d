#include "game/NewGameStart.h"

#include "platform/DataTree.h"
#include "script/runtime/execution/Scheduler.h"
#include "script/runtime/machine/ScriptVM.h"

bool NewGameStart::Hold(int32_t slot) { return DataTree::StartPlayerOverHeld(slot); }

uint32_t NewGameStart::BeginRun() {
    running_ = true;
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

bool NewGameStart::IsPending() const { return running_ || DataTree::HoldsPlayerAside(); }

bool NewGameStart::CanStillLoad() const {
    return IsRunning() && Vrel::ScriptVM::Global().GetScheduler().HasWaiting(lineage_);
}

bool NewGameStart::Commit() {
    running_ = false;
    return DataTree::KeepNewPlayer();
}

bool NewGameStart::RollBack() {
    if (!IsPending()) return false;
    // Stopped first: a thread the start left waiting must not load a scene
    // over the menu, nor write the game under way's file.
    if (IsRunning()) Vrel::ScriptVM::Global().StopThreads(lineage_);
    refused_ = answering_;
    running_ = false;
    DataTree::PutOldPlayerBack();
    return true;
}
