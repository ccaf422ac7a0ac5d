#pragma once
// The music and ambience play lists: tracks that scripts list, started one
// after another on their stream channel with a drawn pause of silence in
// between. Scripts fill and empty the lists; the game's fixed step polls them.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TrackRecord {
    std::string name;
    float volume = 1.0f;   // kept with the record; every track starts at full volume
    int32_t minPause = 0;  // seconds of silence after the track, lower bound
    int32_t maxPause = 0;  // upper bound
};

struct TrackList {
    std::vector<TrackRecord> records;
    // Milliseconds of silence still to wait before the next track may start.
    double countdownMs = 0;

    // Empties the list and forgets the pause it was waiting out.
    void Clear();
};

// The process-wide lists: music on stream channel 0, ambience on channel 1.
extern TrackList MusicTracks;
extern TrackList AmbientTracks;

// How the game reaches the sound thread's stream channels and volumes.
// Tests replace them; the defaults go to Sound, which drops every command
// while it has no device.
struct TrackHooks {
    // False when the sound system refused to answer (it has no device).
    std::function<bool(int channel, bool& playing)> queryStream;
    // Starts the named track on the channel.
    std::function<void(int channel, const char* name, float volume, bool loop)> startStream;
    // Stops the channel; the fade is the sound thread's to interpret.
    std::function<void(int channel, float fade)> stopStream;
    // A negative volume leaves that volume as it is.
    std::function<void(float effectVolume, float musicVolume)> setVolumes;

    static TrackHooks ForSound();
};

// One poll of one list after `elapsedMs` of game time: while the channel is
// silent the countdown runs down, and once it has run out a random record is
// started and the pause after it drawn. A refused query counts as playing, so
// nothing is started on a system that cannot play it.
void PollTrackList(TrackList& list, int channel, double elapsedMs, const TrackHooks& hooks);
