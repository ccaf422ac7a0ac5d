#include "game/TrackList.h"

#include "platform/Sound.h"
#include "platform/os/Random.h"

TrackList MusicTracks;
TrackList AmbientTracks;

namespace {

constexpr double kMsPerSecond = 1000.0;
// A listed track's own volume is kept but not applied: the list player
// starts every track at full volume.
constexpr float kListVolume = 1.0f;

// Seconds of silence after a track. Pauses come unchecked from scripts (the
// bounds may even be swapped): the difference is taken in 64 bits so that
// extreme values cannot overflow.
double DrawPauseMs(const TrackRecord& record) {
    if (record.minPause == record.maxPause) return record.minPause * kMsPerSecond;
    const int64_t span = static_cast<int64_t>(record.maxPause) - record.minPause;
    const int64_t seconds = os::Rand() % span + record.minPause;
    return static_cast<double>(seconds) * kMsPerSecond;
}

}  // namespace

void TrackList::Clear() {
    records.clear();
    countdownMs = 0;
}

TrackHooks TrackHooks::ForSound() {
    TrackHooks hooks;
    hooks.queryStream = [](int channel, bool& playing) {
        float volume = 0;
        return Sound::QueryStream(channel, &volume, &playing);
    };
    hooks.startStream = [](int channel, const char* name, float volume, bool loop) {
        Sound::PlayStream(channel, volume, loop, "%s", name);
    };
    hooks.stopStream = [](int channel, float fade) {
        SoundCommand command;
        command.type = kSoundStopStream;
        command.args[0].i = channel;
        command.args[1].f = fade;
        Sound::PostCommand(command, false);
    };
    hooks.setVolumes = [](float effectVolume, float musicVolume) { Sound::SetVolumes(effectVolume, musicVolume); };
    return hooks;
}

void PollTrackList(TrackList& list, int channel, double elapsedMs, const TrackHooks& hooks) {
    if (list.records.empty()) return;
    bool playing = true;
    if (!hooks.queryStream || !hooks.queryStream(channel, playing) || playing) return;
    list.countdownMs -= elapsedMs;
    if (list.countdownMs > 0) return;
    const size_t pick = static_cast<uint32_t>(os::Rand()) % list.records.size();
    const TrackRecord& record = list.records[pick];
    if (!record.name.empty() && hooks.startStream) hooks.startStream(channel, record.name.c_str(), kListVolume, false);
    list.countdownMs = DrawPauseMs(record);
}
