// The sample game's sounds: every effect named anywhere in the engine's code
// or the sample's scripts lies in data/ and decodes, and every music track
// the scripts name decodes to its end through the stream
// decoder the sound thread uses. A renamed effect or a track left out of
// data/source/make_sounds.sh would otherwise only be noticed as silence.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "platform/DecodedSound.h"
#include "platform/FileManager.h"
#include "platform/OggDecoder.h"
#include "platform/OggStream.h"
#include "platform/WavDecoder.h"
#include "support/SourceFiles.h"
#include "tests/game/SampleTestSupport.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadWholeFile;
using testsupport::SourceFolder;

// Every first capture of `pattern` in the files under `folder` whose
// extension is one of `extensions`.
std::set<std::string> Collect(const fs::path& folder, const std::set<std::string>& extensions,
                              const std::regex& pattern) {
    std::set<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file() || !extensions.count(entry.path().extension().string())) continue;
        const std::string text = ReadWholeFile(entry.path());
        for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
            found.insert((*it)[1].str());
    }
    return found;
}

fs::path Scripts() { return fs::path(sampletest::SampleData()) / "Data/Shared/scripts"; }

// Effect names as string literals; a name ending in "_" is a prefix the
// engine tests names against, not an effect.
std::set<std::string> EffectNames() {
    const std::regex literal("\"(Sfx/[^\"%]*[^\"%_])\"");
    std::set<std::string> names;
    for (const char* folder : {"game", "gui", "minigames"})
        names.merge(Collect(SourceFolder(folder), {".cpp", ".h"}, literal));
    names.merge(Collect(Scripts(), {".cis"}, literal));
    return names;
}

// Tracks lie under "Music/"; scripts may hand the name through helpers
// before it reaches "PlayMusic", so every such literal counts.
std::set<std::string> TrackNames() {
    const std::regex literal("\"(Music/[^\"%]+)\"");
    return Collect(Scripts(), {".cis"}, literal);
}

class SampleSoundsTest : public testing::Test {
protected:
    SampleSoundsTest() {
        for (const char* root : {"Windows", "Shared", "Global"})
            files.AddRoot((sampletest::SampleData() + "/Data/" + root).c_str());
    }

    FileManager files;
};

TEST_F(SampleSoundsTest, EveryEffectPlayedByNameDecodes) {
    const std::set<std::string> names = EffectNames();
    // The click, the solved mini-game, the finds and every mini-game's own.
    EXPECT_GE(names.size(), 24u);
    EXPECT_TRUE(names.count("Sfx/bestaetigung_drop_hit_wood_button"));
    EXPECT_TRUE(names.count("Sfx/minigame_solved"));
    for (const std::string& name : names) {
        DecodedSound pcm;
        const bool decoded = DecodeOgg(files, (name + ".ogg").c_str(), pcm) ||
                             DecodeWav(files, (name + ".wav").c_str(), pcm);
        EXPECT_TRUE(decoded) << name;
        EXPECT_GT(pcm.size, 0u) << name;
    }
}

TEST_F(SampleSoundsTest, TheScriptsLeaveThroughALeaveEffect) {
    // The frame loop forgets the loading time only after such an effect.
    const std::set<std::string> names = EffectNames();
    EXPECT_TRUE(std::any_of(names.begin(), names.end(),
                            [](const std::string& name) { return name.rfind("Sfx/Leave_", 0) == 0; }));
}

TEST_F(SampleSoundsTest, EveryListedTrackStreamsToItsEnd) {
    const std::set<std::string> tracks = TrackNames();
    EXPECT_TRUE(tracks.count("Music/menu"));
    EXPECT_TRUE(tracks.count("Music/play"));
    std::vector<char> piece(OggStream::kPieceSize);
    for (const std::string& track : tracks) {
        OggStream stream;
        ASSERT_TRUE(stream.Open(files, track + ".ogg")) << track;
        EXPECT_GT(stream.Rate(), 0) << track;
        size_t total = 0;
        for (int32_t read; (read = stream.ReadPiece(piece.data(), piece.size(), false)) > 0;)
            total += static_cast<size_t>(read);
        // Mono 16-bit: at least ten seconds of music.
        EXPECT_GT(total, static_cast<size_t>(stream.Rate()) * 2 * 10) << track;
        EXPECT_TRUE(stream.Ended()) << track;
    }
}

}  // namespace
