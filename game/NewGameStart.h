#pragma once
// A new game from "Start again" to its first scene. The game under way is
// kept aside meanwhile, its file untouched, and comes back byte for byte for
// every end but a scene that stands: one owner that every way out of
// "NewGame" asks, so that none can forget the game it holds. Whether a game
// is held is the data tree's one record (DataTree::HoldsPlayerAside), never
// kept here beside it: a profile opened meanwhile drops it for both.

#include <cstdint>

class NewGameStart {
public:
    // "Start again" on `slot`: the open profile's game goes aside for a new,
    // empty one, its file not written until Commit; another slot has no game
    // to keep and starts over at once. False, changing nothing, when the
    // slot has no profile or its file would refuse the new game.
    bool Hold(int32_t slot);
    // "NewGame" is about to run: every thread it starts, at once or from a
    // thread it started, is of the lineage answered; its first run is what
    // ContinueOrNewGame waits for, until EndFirstRun.
    uint32_t BeginRun();
    // The first run has returned: false when the new game was refused
    // meanwhile, true when it began or may still begin.
    bool EndFirstRun();

    // From Hold or BeginRun until the first scene stands or the start is
    // rolled back (or a profile opened meanwhile dropped the game held).
    bool IsPending() const;
    // "NewGame" has been called and no scene has loaded since.
    bool IsRunning() const { return running_; }
    // "NewGame"'s first run is on the native stack.
    bool IsAnswering() const { return answering_; }
    // Whether any thread "NewGame" started, itself among them, is still to
    // run and so may load the first scene yet.
    bool CanStillLoad() const;

    // The first scene stands: the new game is the player's and its file
    // takes it, with that save's answer (true when nothing was held).
    bool Commit();
    // The new game did not begin: every thread it started stops, and the
    // game under way is the open one again, as it was. False, doing nothing,
    // when no start was pending.
    bool RollBack();

private:
    bool running_ = false;
    bool answering_ = false;
    // Rolled back while its first run was answering.
    bool refused_ = false;
    // Each run its own, so that threads of an earlier start are not taken
    // for this one's.
    uint32_t lineage_ = 0;
};
