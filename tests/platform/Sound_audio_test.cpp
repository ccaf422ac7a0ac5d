// The sound interface and thread over OpenAL's null device, mostly in step
// mode: no thread runs, every wait of a post runs one pass on the caller,
// and the clock is the test's.

#include "platform/FileManager.h"
#include "platform/SoundSystem.h"
#include "support/SoundWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

namespace {

using namespace testsupport;
using namespace std::chrono_literals;

// Ten seconds: an effect that does not loop still plays when a busy machine
// lets the test look at its voice late.
const std::string& ToneWav() {
    static const std::string tone =
        SimpleWav(1, 22050, 16, SampleBytes(SineSamples(1, 22050, 10 * 22050, 440, 0.5)));
    return tone;
}

class SoundTest : public ::testing::Test {
protected:
    SoundTest() {
        data.MakeFolder("Windows");
        data.MakeFolder("Global");
        files.AddRoot((data / "Windows").c_str());
        files.AddRoot((data / "Global").c_str());
        for (int i = 0; i < 10; ++i) data.WriteFile("Global/Sfx/e" + std::to_string(i) + ".wav", ToneWav());
        // 44.1 kHz stereo: a 32 KiB piece lasts about 0.19 s.
        data.WriteFile("Global/Music/long.ogg", OggFile(2, 44100, SineSamples(2, 44100, 88200, 220, 0.5)));
        data.WriteFile("Global/Music/short.ogg", OggFile(2, 44100, SineSamples(2, 44100, 2000, 220, 0.5)));
        data.WriteFile("Global/Music/silent.ogg", OggFile(2, 44100, {}));
        files.ResetDirectoryCaches();
    }
    ~SoundTest() override { sound.Shutdown(); }

    void Start() {
        ASSERT_TRUE(sound.InitStepped(1.0f, 1.0f));
        ASSERT_TRUE(sound.Mailbox().IsReady()) << "the null device did not open";
        sound.Step();
    }
    SoundThread& State() { return sound.ThreadState(); }
    // The voice playing `buffer`, or -1.
    int VoiceOf(int buffer) {
        for (int i = 0; i < SoundThread::kSourceCount; ++i) {
            if (State().SourceBuffer(i) == buffer && State().SourcePlaying(i)) return i;
        }
        return -1;
    }
    int PlayingVoices() {
        int count = 0;
        for (int i = 0; i < SoundThread::kSourceCount; ++i) count += State().SourcePlaying(i);
        return count;
    }
    bool Post(uint32_t type, std::initializer_list<SoundArg> args, bool wait = false) {
        SoundCommand command;
        command.type = type;
        int i = 0;
        for (SoundArg arg : args) command.args[i++] = arg;
        bool posted = sound.PostCommand(command, wait);
        if (!posted) command.FreeOwned();
        return posted;
    }
    static SoundArg I(int32_t v) { SoundArg a{}; a.i = v; return a; }
    static SoundArg F(float v) { SoundArg a{}; a.f = v; return a; }
    static SoundArg B(bool v) { SoundArg a{}; a.b = v ? 1 : 0; return a; }
    static SoundArg P(void* v) { SoundArg a{}; a.p = v; return a; }
    bool Playing(int channel) {
        bool playing = false;
        sound.QueryStream(channel, nullptr, &playing);
        return playing;
    }
    float StreamVolume(int channel) {
        float volume = -1.0f;
        sound.QueryStream(channel, &volume, nullptr);
        return volume;
    }
    // Passes for a while of real time, as the device plays.
    void RunFor(std::chrono::milliseconds span) {
        auto end = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < end) {
            now += 5;
            sound.Step();
            std::this_thread::sleep_for(5ms);
        }
    }
    // Polls `done` as the device plays, however late a busy machine lets it
    // mix; false after 10 s.
    bool WaitUntil(const std::function<bool()>& done) {
        auto end = std::chrono::steady_clock::now() + 10s;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }

    TempFolder data;
    FileManager files;
    uint64_t now = 1000;
    SoundSystem sound{files, [this] { return now; }};
};

TEST_F(SoundTest, NeverLoadedEffectPlaysInTheSameCall) {
    Start();
    EXPECT_EQ(sound.Find("Sfx/e1"), -1);
    sound.Play(1.0f, false, "Sfx/e1");
    sound.Step();
    int buffer = sound.Find("SFX/E1");  // names compare ignoring case
    ASSERT_GE(buffer, 0);
    EXPECT_GE(VoiceOf(buffer), 0);
    sound.Play(1.0f, false, "Sfx/missing");
    sound.Step();
    EXPECT_EQ(PlayingVoices(), 1);
}

TEST_F(SoundTest, FindRunsAfterTheLoadPostedBeforeItInAHigherSlot) {
    Start();
    sound.SetIdle([] {});
    ASSERT_TRUE(Post(kSoundStopSource, {I(0)}));              // slot 0
    ASSERT_TRUE(sound.Load(-1, false, "Sfx/e2"));             // slot 1
    // The thread has run only the first command when the find is posted, so
    // the find lands in slot 0, below the load.
    SoundMailbox& mailbox = sound.Mailbox();
    int first = mailbox.TakeNext();
    ASSERT_EQ(first, 0);
    State().RunCommand(mailbox.Command(first));
    mailbox.Complete(first);
    sound.SetIdle([this] { sound.Step(); });
    EXPECT_GE(sound.Find("Sfx/e2"), 0);
}

TEST_F(SoundTest, SeventeenthPendingPostWaitsAndIsDropped) {
    Start();
    int idles = 0;
    sound.SetIdle([&] { ++idles; });
    for (int i = 0; i < SoundMailbox::kSlotCount; ++i) ASSERT_TRUE(Post(kSoundStopSource, {I(i)})) << i;
    EXPECT_FALSE(sound.Load(-1, false, "Sfx/e3"));  // its owned copies are freed
    EXPECT_GE(idles, SoundMailbox::kPostAttempts - 1);
    EXPECT_LE(idles, SoundMailbox::kPostAttempts);
    EXPECT_EQ(sound.Find("Sfx/e3"), -1) << "a dropped waited post answers nothing";

    // When a slot frees up in time, the post goes through.
    idles = 0;
    sound.SetIdle([&] {
        if (++idles == 5) sound.Step();
    });
    EXPECT_TRUE(sound.Load(-1, false, "Sfx/e3"));
    EXPECT_EQ(idles, 5);
    sound.Step();
    sound.SetIdle([this] { sound.Step(); });
    EXPECT_GE(sound.Find("Sfx/e3"), 0);
}

TEST_F(SoundTest, NinthEffectEvictsTheOldestAndStopsItsVoices) {
    Start();
    now = (uint64_t(1) << 24) + 3;  // past where a float clock stops counting milliseconds
    for (int i = 0; i < 8; ++i) {
        sound.Play(1.0f, true, ("Sfx/e" + std::to_string(i)).c_str());
        ++now;
        sound.Step();
    }
    int oldest = sound.Find("Sfx/e0");
    ASSERT_GE(oldest, 0);
    ASSERT_GE(VoiceOf(oldest), 0);
    EXPECT_EQ(PlayingVoices(), 8);

    sound.Play(1.0f, false, "Sfx/e8");
    sound.Step();
    EXPECT_EQ(sound.Find("Sfx/e0"), -1);
    EXPECT_EQ(sound.Find("Sfx/e8"), oldest);
    for (int i = 1; i < 8; ++i) EXPECT_GE(sound.Find(("Sfx/e" + std::to_string(i)).c_str()), 0) << i;
    EXPECT_EQ(PlayingVoices(), 8) << "e0's looping voice was stopped, e8 plays";
}

TEST_F(SoundTest, ReplayRestartsOnTheSameVoice) {
    Start();
    sound.Play(1.0f, false, "Sfx/e4");
    sound.Step();
    int buffer = sound.Find("Sfx/e4");
    int voice = VoiceOf(buffer);
    ASSERT_GE(voice, 0);
    sound.Play(0.5f, false, "Sfx/e4");
    sound.Step();
    EXPECT_EQ(VoiceOf(buffer), voice);
    EXPECT_EQ(PlayingVoices(), 1);
}

TEST_F(SoundTest, VolumesAreRaisedToTheFourthPowerAndNegativeMeansUnchanged) {
    Start();
    sound.Play(1.0f, true, "Sfx/e5");
    sound.Step();
    int voice = VoiceOf(sound.Find("Sfx/e5"));
    ASSERT_GE(voice, 0);
    EXPECT_FLOAT_EQ(State().SourceGain(voice), 1.0f);
    Post(kSoundSetVolumes, {I(-1), F(0.5f), I(-1), F(-1.0f)});
    sound.Step();
    EXPECT_FLOAT_EQ(State().SourceGain(voice), 0.0625f);
    Post(kSoundSetVolumes, {I(-1), F(-1.0f), I(-1), F(0.25f)});
    Post(kSoundSetVolumes, {I(voice), F(0.5f), I(-1), F(-1.0f)});
    sound.Step();
    EXPECT_FLOAT_EQ(State().SourceGain(voice), 0.00390625f) << "(0.5 * 0.5)^4";
    Post(kSoundSetVolumes, {I(-1), F(0.0f), I(-1), F(-1.0f)});
    sound.Step();
    EXPECT_FLOAT_EQ(State().SourceGain(voice), 0.0f);
}

TEST_F(SoundTest, OutOfRangeIndicesAreIgnoredAndOwnedDataFreed) {
    Start();
    sound.Play(1.0f, true, "Sfx/e6");
    sound.Step();
    int buffer = sound.Find("Sfx/e6");
    int voice = VoiceOf(buffer);
    ASSERT_GE(voice, 0);
    // A negative buffer or source means "choose" and a negative volume
    // target means "all"; anything past the ends must do nothing.
    for (int bad : {8, 99, INT32_MAX}) {
        Post(kSoundLoadBuffer, {P(strdup("Sfx/x")), I(bad), P(malloc(4)), I(4), I(0x1101), I(22050)});
        Post(kSoundPlayEffect, {I(-1), I(bad), F(1.0f), B(false)});
    }
    for (int bad : {8, 99, -7, INT32_MIN}) {
        Post(kSoundClearBuffer, {I(bad)});
        Post(kSoundPlayEffect, {I(-1), I(bad), F(1.0f), B(false)});
    }
    for (int bad : {4, 99, -7, INT32_MIN}) {
        Post(kSoundStartStream, {I(bad), P(strdup("Music/long")), F(1.0f), B(true)});
        Post(kSoundStopStream, {I(bad), F(0.0f)});
    }
    for (int bad : {16, 99, -2, INT32_MIN}) Post(kSoundStopSource, {I(bad)});
    for (int bad : {16, 99, INT32_MAX}) Post(kSoundSetVolumes, {I(bad), F(0.0f), I(bad), F(0.0f)});
    for (int bad : {16, 99, INT32_MAX}) Post(kSoundPlayEffect, {I(bad), I(buffer), F(1.0f), B(false)});
    Post(99, {I(1)});
    sound.Step();
    SoundCommand query;
    query.type = kSoundQueryStream;
    query.args[0].i = 7;
    query.args[2].b = 1;
    ASSERT_TRUE(sound.PostCommand(query, true));
    EXPECT_EQ(query.args[2].b, 0);
    EXPECT_EQ(sound.Find("Sfx/x"), -1);
    EXPECT_EQ(VoiceOf(buffer), voice);
    EXPECT_FLOAT_EQ(State().SourceGain(voice), 1.0f);
    EXPECT_EQ(PlayingVoices(), 1);
}

TEST_F(SoundTest, BadSampleDataLeavesTheBufferUnnamed) {
    Start();
    sound.Play(1.0f, false, "Sfx/e7");
    sound.Step();
    int buffer = sound.Find("Sfx/e7");
    ASSERT_GE(buffer, 0);
    // Three bytes are not a whole number of 16-bit frames: the device refuses them.
    Post(kSoundLoadBuffer, {P(strdup("Sfx/odd")), I(buffer), P(malloc(3)), I(3), I(0x1101), I(22050)});
    sound.Step();
    EXPECT_EQ(sound.Find("Sfx/odd"), -1);
    EXPECT_EQ(sound.Find("Sfx/e7"), -1) << "the old sound is gone, not renamed";
}

TEST_F(SoundTest, StreamFadeIsLinearThenStops) {
    Start();
    ASSERT_TRUE(sound.PlayStream(0, 1.0f, true, "Music/long"));
    ASSERT_TRUE(sound.PlayStream(1, 1.0f, true, "Music/long"));
    sound.Step();
    EXPECT_TRUE(Playing(0));
    Post(kSoundStopStream, {I(0), F(2.0f)});
    Post(kSoundStopStream, {I(1), F(0.0f)});
    sound.Step();
    EXPECT_FALSE(Playing(1)) << "fade 0 stops at once";
    for (float expected : {0.75f, 0.5f, 0.25f}) {
        now += 500;
        sound.Step();
        EXPECT_NEAR(StreamVolume(0), expected, 1e-5);
        EXPECT_TRUE(Playing(0));
    }
    now += 501;
    sound.Step();
    EXPECT_FALSE(Playing(0));
}

TEST_F(SoundTest, ShortLoopingStreamKeepsPlayingAndShortPlainStreamStops) {
    Start();
    sound.PlayStream(0, 1.0f, true, "Music/short");
    sound.PlayStream(1, 1.0f, false, "Music/short");
    RunFor(800ms);  // several pieces, far beyond the file's 45 ms
    ASSERT_TRUE(WaitUntil([this] {
        sound.Step();
        return !State().StreamSourcePlaying(1);
    }));
    EXPECT_TRUE(Playing(0));
    EXPECT_FALSE(Playing(1));
}

TEST_F(SoundTest, SilentLoopingStreamDoesNotHang) {
    // Its second link breaks off after its first page: the first piece
    // cannot be decoded. Started over another track, whose pieces the
    // channel's buffers still hold, it plays none of them. Each track takes
    // the channel's queue from the one before, played out or not, whatever
    // the device has played of it meanwhile.
    std::string cut = OggFile(1, 22050, {});
    data.WriteFile("Global/Music/broken.ogg", OggFile(1, 22050, {}) + cut.substr(0, cut.find("OggS", 4)));
    files.ResetDirectoryCaches();
    Start();
    sound.PlayStream(2, 1.0f, true, "Music/silent");
    RunFor(50ms);
    EXPECT_FALSE(Playing(2));
    EXPECT_GE(sound.Find("Sfx/none"), -1) << "the mailbox is still served";
    sound.PlayStream(2, 1.0f, true, "Music/long");
    sound.Step();
    EXPECT_EQ(State().StreamPiecesQueued(2), 2) << "the silent track's queue kept the next one out";
    sound.PlayStream(2, 1.0f, true, "Music/broken");
    sound.Step();
    EXPECT_FALSE(Playing(2)) << "the track before replays a piece";
    EXPECT_EQ(State().StreamPiecesQueued(2), 0) << "the track before's pieces stay on the source";
}

TEST_F(SoundTest, StreamResumesAfterAnUnderrun) {
    Start();
    sound.PlayStream(0, 1.0f, true, "Music/long");
    sound.Step();
    ASSERT_TRUE(Playing(0));
    // Both pieces play out unrefilled.
    ASSERT_TRUE(WaitUntil([this] { return !State().StreamSourcePlaying(0); }));
    sound.SetIdle([] { std::this_thread::sleep_for(1ms); });
    sound.Step();
    sound.SetIdle([this] { sound.Step(); });
    EXPECT_TRUE(State().StreamSourcePlaying(0));
}

TEST_F(SoundTest, StreamStarvedBeforeItsRefillReadsAsPlaying) {
    Start();
    sound.PlayStream(0, 1.0f, true, "Music/long");
    sound.Step();
    // No pass refills it: both pieces play out, as on a busy machine.
    ASSERT_TRUE(WaitUntil([this] { return !State().StreamSourcePlaying(0); }));
    EXPECT_TRUE(Playing(0)) << "a pass answers before it refills";
}

TEST_F(SoundTest, SoundThreadMountsOnlyGlobalAndSharedRoots) {
    TempFolder other;
    other.WriteFile("data/global/Music/lower.ogg", OggFile(1, 22050, SineSamples(1, 22050, 30000, 300, 0.5)));
    other.WriteFile("data/Windows/Music/windows.ogg", OggFile(1, 22050, SineSamples(1, 22050, 30000, 300, 0.5)));
    FileManager roots;
    roots.AddRoot((other / "data/Windows").c_str());
    roots.AddRoot((other / "data/global").c_str());
    SoundSystem own(roots, [this] { return now; });
    ASSERT_TRUE(own.InitStepped(1.0f, 1.0f));
    own.PlayStream(0, 1.0f, false, "Music/lower");
    own.PlayStream(1, 1.0f, false, "Music/windows");
    own.Step();
    bool lower = false, windows = true;
    own.QueryStream(0, nullptr, &lower);
    own.QueryStream(1, nullptr, &windows);
    EXPECT_TRUE(lower);
    EXPECT_FALSE(windows);
    own.Shutdown();
}

TEST_F(SoundTest, ThreadServesPostsAndShutdownJoins) {
    SoundSystem threaded(files);
    ASSERT_TRUE(threaded.Init(1.0f, 1.0f));
    ASSERT_TRUE(threaded.Mailbox().IsReady());
    threaded.Play(1.0f, false, "Sfx/e1");
    EXPECT_GE(threaded.Find("Sfx/e1"), 0);
    EXPECT_TRUE(threaded.PlayStream(0, 1.0f, true, "Music/long"));
    EXPECT_TRUE(WaitUntil([&threaded] {
        bool playing = false;
        threaded.QueryStream(0, nullptr, &playing);
        return playing;
    }));
    threaded.Shutdown();
    EXPECT_FALSE(threaded.Mailbox().IsReady());
    EXPECT_FALSE(threaded.PlayStream(0, 1.0f, true, "Music/long"));
}

// OpenAL reads its driver choice once per process, so tests that pick a
// different one run in a fresh child process.
class SoundProcessTest : public SoundTest {
protected:
    SoundProcessTest() { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

void WithoutDevice(const FileManager& unused, FileManager& files) {
    (void)unused;
    setenv("ALSOFT_DRIVERS", "no-such-backend", 1);
    SoundSystem sound(files);
    if (!sound.Init(0.7f, 0.7f) || sound.Mailbox().IsReady()) std::exit(2);
    // Every wait of a post, for a free slot or for its answer, idles: one
    // idle is a call that waited, however fast or busy the machine is.
    sound.SetIdle([] { std::exit(6); });
    if (sound.Find("Sfx/e1") != -1) std::exit(3);
    sound.Play(1.0f, false, "Sfx/e1");
    if (sound.PlayStream(0, 1.0f, true, "Music/long") || sound.Load(-1, true, "Sfx/e2")) std::exit(4);
    if (sound.QueryStream(0, nullptr, nullptr)) std::exit(5);
    sound.Shutdown();
    std::exit(0);
}

TEST_F(SoundProcessTest, WithoutADeviceEverythingIsSilentAndNothingWaits) {
    EXPECT_EXIT(WithoutDevice(files, files), ::testing::ExitedWithCode(0), "");
}

// The samples a wave file holds so far.
std::vector<int16_t> WaveSamples(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t data_at = bytes.find("data");
    if (data_at == std::string::npos || bytes.size() < data_at + 8) return {};
    return ToSamples(bytes.data() + data_at + 8, (bytes.size() - data_at - 8) & ~size_t(1));
}

// Waits until the device has written a fifth of a second of sound, however
// late a busy machine lets it mix; gives up after 10 s.
void WaitUntilHeard(const std::string& path) {
    auto end = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < end) {
        std::vector<int16_t> samples = WaveSamples(path);
        if (std::count_if(samples.begin(), samples.end(), [](int16_t s) { return s != 0; }) >= 22050 / 5) return;
        std::this_thread::sleep_for(10ms);
    }
}

// Plays through OpenAL's wave-file backend and answers the peak level of
// what was written, as a fraction of full scale; exits with it in percent.
void PeakThroughWaveFile(const TempFolder& data, FileManager& files, bool stream, float volume) {
    std::string output = data / "out.wav";
    data.WriteFile("alsoft.conf", "[general]\ndrivers = wave\nchannels = mono\nsample-type = int16\n"
                                  "frequency = 22050\noutput-limiter = false\n[wave]\nfile = " + output + "\n");
    setenv("ALSOFT_CONF", (data / "alsoft.conf").c_str(), 1);
    setenv("ALSOFT_DRIVERS", "wave", 1);
    {
        SoundSystem sound(files);
        if (!sound.Init(1.0f, 1.0f) || !sound.Mailbox().IsReady()) std::exit(101);
        if (stream) {
            sound.PlayStream(0, volume, true, "Music/mono");
        } else {
            sound.Play(volume, true, "Sfx/e1");
        }
        WaitUntilHeard(output);
        sound.Shutdown();
    }
    std::vector<int16_t> samples = WaveSamples(output);
    if (samples.empty()) std::exit(102);
    int peak = 0;
    for (int16_t sample : samples) peak = std::max(peak, std::abs(int(sample)));
    std::exit(int(std::lround(100.0 * peak / 32767.0)));
}

// Exit status within two percent of the expected level (codec and resampler
// peaks wander a little).
auto LevelNear(int percent) {
    return [percent](int status) {
        return WIFEXITED(status) && std::abs(WEXITSTATUS(status) - percent) <= 2;
    };
}

TEST_F(SoundProcessTest, EffectIsHeardAtTheFourthPowerOfItsVolume) {
    // 0.5 full scale at 0.8^4 = 0.41 gain: 20 % of full scale.
    EXPECT_EXIT(PeakThroughWaveFile(data, files, false, 0.8f), LevelNear(20), "");
}

TEST_F(SoundProcessTest, LoopingMusicIsHeardAtTheFourthPowerOfItsVolume) {
    data.WriteFile("Global/Music/mono.ogg", OggFile(1, 22050, SineSamples(1, 22050, 3000, 441, 0.5)));
    files.ResetDirectoryCaches();
    // 0.5 full scale at 0.9^4 = 0.66 gain: 33 % of full scale.
    EXPECT_EXIT(PeakThroughWaveFile(data, files, true, 0.9f), LevelNear(33), "");
}

}  // namespace
