#include "platform/FileManager.h"
#include "platform/OggDecoder.h"
#include "platform/OggStream.h"
#include "platform/WavDecoder.h"
#include "support/ArchiveWriter.h"
#include "support/SoundWriter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

using namespace testsupport;

std::string Bytes(size_t count, char value) { return std::string(count, value); }

class SoundDecodingTest : public ::testing::Test {
protected:
    SoundDecodingTest() {
        root.MakeFolder("Data");
        files.AddRoot((root / "Data").c_str());
    }
    void Write(const std::string& name, const std::string& bytes) {
        root.WriteFile("Data/" + name, bytes);
        files.ResetDirectoryCaches();
    }
    // Puts the files into the archive "Data/Packed.tvk", read as a folder.
    void WriteArchive(const std::vector<std::pair<std::string, std::string>>& entries) {
        ArchiveWriter archive;
        for (const auto& [name, bytes] : entries) archive.Add(name, bytes);
        root.WriteFile("Data/Packed.tvk", archive.Build());
        files.ResetDirectoryCaches();
    }
    bool Wav(const std::string& bytes, DecodedSound& out) {
        Write("Sfx/test.wav", bytes);
        return DecodeWav(files, "Sfx/test.wav", out);
    }

    TempFolder root;
    FileManager files;
};

TEST_F(SoundDecodingTest, WavKeepsWidthAndChannels) {
    struct Case { uint16_t channels, bits; int32_t format; };
    for (Case c : {Case{1, 8, DecodedSound::kMono8}, Case{2, 8, DecodedSound::kStereo8},
                   Case{1, 16, DecodedSound::kMono16}, Case{2, 16, DecodedSound::kStereo16}}) {
        DecodedSound pcm;
        ASSERT_TRUE(Wav(SimpleWav(c.channels, 22050, c.bits, Bytes(64, 'x')), pcm)) << c.bits;
        EXPECT_EQ(pcm.format, c.format);
        EXPECT_EQ(pcm.rate, 22050);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(pcm.data), pcm.size), Bytes(64, 'x'));
    }
}

TEST_F(SoundDecodingTest, WavWithLongFormatAndListChunkLoadsLooseAndArchived) {
    std::string fmt = WavFormatChunk(1, 11025, 16) + std::string(2, '\0');  // 18-byte form
    std::string file = WavFile(WavChunk("fmt ", fmt) + WavChunk("LIST", "INFOISFT\4\0\0\0abcd") +
                               WavChunk("data", "\1\2\3\4"));
    DecodedSound loose;
    ASSERT_TRUE(Wav(file, loose));
    EXPECT_EQ(loose.size, 4u);
    EXPECT_EQ(loose.rate, 11025);

    WriteArchive({{"packed.wav", file}});
    DecodedSound packed;
    ASSERT_TRUE(DecodeWav(files, "Packed/packed.wav", packed));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(packed.data), packed.size), "\1\2\3\4");
}

TEST_F(SoundDecodingTest, WavOddChunkIsFollowedByItsPadByte) {
    std::string file = WavFile(WavChunk("junk", "abc") + WavChunk("fmt ", WavFormatChunk(1, 8000, 8)) +
                               WavChunk("data", "\x80\x81\x82"));
    DecodedSound pcm;
    ASSERT_TRUE(Wav(file, pcm));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(pcm.data), pcm.size), "\x80\x81\x82");
}

TEST_F(SoundDecodingTest, WavTagsAndShapesItCannotPlayAreRefused) {
    std::string chunks = WavChunk("FMT ", WavFormatChunk(1, 8000, 16)) + WavChunk("DATA", "\0\0");
    DecodedSound pcm;
    EXPECT_TRUE(Wav(WavFile(chunks, "riff", "wave"), pcm)) << "lower-case tags and chunk names";
    EXPECT_FALSE(Wav(WavFile(chunks, "RIFF", "wave"), pcm));
    EXPECT_FALSE(Wav(WavFile(chunks, "riff", "WAVE"), pcm));
    EXPECT_FALSE(Wav(SimpleWav(1, 8000, 24, Bytes(6, 0)), pcm)) << "24-bit";
    EXPECT_FALSE(Wav(SimpleWav(6, 8000, 16, Bytes(12, 0)), pcm)) << "6 channels";
    EXPECT_FALSE(Wav(WavFile(WavChunk("fmt ", WavFormatChunk(1, 8000, 16))), pcm)) << "no data";
    EXPECT_FALSE(Wav(WavFile(WavChunk("data", "\0\0")), pcm)) << "no format";
    EXPECT_FALSE(Wav(WavFile(WavChunk("fmt ", WavFormatChunk(1, 8000, 16)) + WavChunk("data", "\0\0") +
                             WavChunk("data", "\0\0")),
                     pcm))
        << "second data chunk";
    EXPECT_EQ(pcm.data, nullptr);
    EXPECT_FALSE(DecodeWav(files, "Sfx/missing.wav", pcm));
}

// Compressed and float encodings would play as noise; every other tag is
// read as PCM, so that content written with an odd tag keeps playing.
TEST_F(SoundDecodingTest, WavCompressedEncodingsAreRefusedAndOtherTagsReadAsPcm) {
    struct Case {
        const char* what;
        std::string format;
        bool plays;
    };
    const std::vector<Case> cases = {
        {"PCM", WavFormatChunk(2, 22050, 16, 0x0001), true},
        {"extensible PCM", WavExtensibleFormatChunk(2, 22050, 16, 0x0001), true},
        {"unknown tag", WavFormatChunk(2, 22050, 16, 0x1234), true},
        {"extensible PCM, 8 bits mono", WavExtensibleFormatChunk(1, 22050, 8, 0x0001), true},
        {"ADPCM", WavFormatChunk(2, 22050, 16, 0x0002), false},
        {"float", WavFormatChunk(2, 22050, 16, 0x0003), false},
        {"A-law", WavFormatChunk(2, 22050, 8, 0x0006), false},
        {"mu-law", WavFormatChunk(1, 22050, 8, 0x0007), false},
        {"IMA ADPCM", WavFormatChunk(1, 22050, 16, 0x0011), false},
        {"MPEG layer 3", WavFormatChunk(2, 22050, 16, 0x0055), false},
        {"extensible float", WavExtensibleFormatChunk(2, 22050, 16, 0x0003), false},
        {"extensible A-law", WavExtensibleFormatChunk(1, 22050, 8, 0x0006), false},
        {"extensible without its sub-format", WavFormatChunk(2, 22050, 16, 0xFFFE) + Bytes(2, '\0'), false},
    };
    for (const Case& c : cases) {
        DecodedSound pcm;
        const bool played = Wav(WavFile(WavChunk("fmt ", c.format) + WavChunk("data", Bytes(8, 'x'))), pcm);
        EXPECT_EQ(played, c.plays) << c.what;
        if (!c.plays) {
            EXPECT_EQ(pcm.data, nullptr) << c.what;
            continue;
        }
        EXPECT_EQ(pcm.size, 8u) << c.what;
        EXPECT_EQ(pcm.rate, 22050) << c.what;
    }
    // The chunk after an extensible format is still found.
    DecodedSound pcm;
    std::string longer = WavExtensibleFormatChunk(2, 8000, 16, 0x0001) + Bytes(3, '\0');
    ASSERT_TRUE(Wav(WavFile(WavChunk("fmt ", longer) + WavChunk("data", Bytes(4, 'y'))), pcm));
    EXPECT_EQ(pcm.format, DecodedSound::kStereo16);
    EXPECT_EQ(std::memcmp(pcm.data, "yyyy", 4), 0);
}

TEST_F(SoundDecodingTest, WavSizesBeyondTheFileAreRefused) {
    DecodedSound pcm;
    // A format chunk shorter than 16 bytes is not read as 16.
    EXPECT_FALSE(Wav(WavFile(WavChunk("fmt ", WavFormatChunk(1, 8000, 16).substr(0, 14)) +
                             WavChunk("data", "\0\0")),
                     pcm));
    // A data size far larger than the file is not allocated.
    std::string huge = WavFile(WavChunk("fmt ", WavFormatChunk(1, 8000, 16)) + "data" +
                               std::string("\xf0\xff\xff\xff", 4) + "\0\0");
    EXPECT_FALSE(Wav(huge, pcm));
    // Nor is a skipped chunk allowed to jump past the end.
    std::string skip = WavFile(WavChunk("fmt ", WavFormatChunk(1, 8000, 16)) + WavChunk("data", "\0\0") +
                               "junk" + std::string("\xff\xff\xff\x7f", 4));
    EXPECT_FALSE(Wav(skip, pcm));
    // A chunk size one past the end.
    std::string shortData = WavFile(WavChunk("fmt ", WavFormatChunk(1, 8000, 16)) + "data" +
                                    std::string("\x05\0\0\0", 4) + "abcd");
    EXPECT_FALSE(Wav(shortData, pcm));
}

TEST_F(SoundDecodingTest, WavDataIsCutToWholeFrames) {
    DecodedSound pcm;
    ASSERT_TRUE(Wav(SimpleWav(2, 8000, 16, Bytes(11, 1)), pcm));
    EXPECT_EQ(pcm.size, 8u);
    ASSERT_TRUE(Wav(SimpleWav(1, 8000, 16, Bytes(3, 1)), pcm));
    EXPECT_EQ(pcm.size, 2u);
    ASSERT_TRUE(Wav(SimpleWav(2, 8000, 8, Bytes(5, 1)), pcm));
    EXPECT_EQ(pcm.size, 4u);
}

double RmsDifference(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
    double sum = 0;
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) sum += double(a[i] - b[i]) * double(a[i] - b[i]);
    return n ? std::sqrt(sum / double(n)) : 1e9;
}

TEST_F(SoundDecodingTest, OggMonoAndStereoDecodeToTheirSamples) {
    for (int channels : {1, 2}) {
        std::vector<int16_t> source = SineSamples(channels, 22050, 4000, 441.0, 0.5);
        Write("Sfx/tone.ogg", OggFile(channels, 22050, source));
        DecodedSound pcm;
        ASSERT_TRUE(DecodeOgg(files, "Sfx/tone.ogg", pcm)) << channels;
        EXPECT_EQ(pcm.format, channels == 1 ? DecodedSound::kMono16 : DecodedSound::kStereo16);
        EXPECT_EQ(pcm.rate, 22050);
        std::vector<int16_t> decoded = ToSamples(pcm.data, pcm.size);
        ASSERT_EQ(decoded.size(), source.size());
        EXPECT_LT(RmsDifference(decoded, source), 0.02 * 32767) << channels;
    }
}

TEST_F(SoundDecodingTest, OggRefusesSixChannelsAndNonVorbis) {
    Write("Sfx/six.ogg", OggFile(6, 22050, SineSamples(6, 22050, 1000, 300, 0.3)));
    DecodedSound pcm;
    EXPECT_FALSE(DecodeOgg(files, "Sfx/six.ogg", pcm));
    Write("Sfx/wave.ogg", SimpleWav(1, 8000, 16, "\0\0"));
    EXPECT_FALSE(DecodeOgg(files, "Sfx/wave.ogg", pcm));
    EXPECT_FALSE(DecodeOgg(files, "Sfx/missing.ogg", pcm));
    EXPECT_EQ(pcm.data, nullptr);
}

TEST_F(SoundDecodingTest, OggWithoutSamplesDecodesToNothing) {
    Write("Sfx/silent.ogg", OggFile(2, 22050, {}));
    DecodedSound pcm;
    ASSERT_TRUE(DecodeOgg(files, "Sfx/silent.ogg", pcm));
    EXPECT_NE(pcm.data, nullptr);
    EXPECT_EQ(pcm.size, 0u);
    EXPECT_EQ(pcm.format, DecodedSound::kStereo16);
}

TEST_F(SoundDecodingTest, ArchivedOggEqualsLooseOgg) {
    std::string file = OggFile(2, 44100, SineSamples(2, 44100, 20000, 500, 0.4));
    Write("Music/tone.ogg", file);
    WriteArchive({{"tone.ogg", file}});
    DecodedSound loose, packed;
    ASSERT_TRUE(DecodeOgg(files, "Music/tone.ogg", loose));
    ASSERT_TRUE(DecodeOgg(files, "Packed/tone.ogg", packed));
    ASSERT_EQ(loose.size, packed.size);
    EXPECT_EQ(std::memcmp(loose.data, packed.data, loose.size), 0);
}

TEST_F(SoundDecodingTest, ChainedOggStopsWhereTheShapeChanges) {
    std::vector<int16_t> mono = SineSamples(1, 22050, 3000, 300, 0.5);
    Write("Sfx/chain.ogg", OggFile(1, 22050, mono) + OggFile(2, 22050, SineSamples(2, 22050, 3000, 300, 0.5)));
    DecodedSound pcm;
    ASSERT_TRUE(DecodeOgg(files, "Sfx/chain.ogg", pcm));
    EXPECT_EQ(pcm.format, DecodedSound::kMono16);
    EXPECT_EQ(pcm.size, mono.size() * 2);
}

// Pieces of a stream, as the sound thread fills its buffers.
std::vector<int32_t> Pieces(OggStream& stream, bool loop, int count) {
    std::vector<char> piece(OggStream::kPieceSize);
    std::vector<int32_t> sizes;
    for (int i = 0; i < count; ++i) sizes.push_back(stream.ReadPiece(piece.data(), piece.size(), loop));
    return sizes;
}

TEST_F(SoundDecodingTest, ShortLoopingStreamFillsWholePieces) {
    std::vector<int16_t> mono = SineSamples(1, 22050, 1000, 300, 0.5);  // 2000 bytes
    Write("Music/short.ogg", OggFile(1, 22050, mono));
    OggStream stream;
    ASSERT_TRUE(stream.Open(files, "Music/short.ogg"));
    EXPECT_EQ(Pieces(stream, true, 3), (std::vector<int32_t>(3, int32_t(OggStream::kPieceSize))));
    EXPECT_FALSE(stream.Ended());

    ASSERT_TRUE(stream.Open(files, "Music/short.ogg"));
    EXPECT_EQ(Pieces(stream, false, 2), (std::vector<int32_t>{2000, -1}));
    EXPECT_TRUE(stream.Ended());
}

TEST_F(SoundDecodingTest, LoopingStreamWithoutSamplesEnds) {
    Write("Music/silent.ogg", OggFile(1, 22050, {}));
    OggStream stream;
    ASSERT_TRUE(stream.Open(files, "Music/silent.ogg"));
    EXPECT_EQ(Pieces(stream, true, 2), (std::vector<int32_t>{0, -1}));
    EXPECT_TRUE(stream.Ended());
}

TEST_F(SoundDecodingTest, StreamRefusesSixChannelsAndStopsAtAChangedSection) {
    Write("Music/six.ogg", OggFile(6, 22050, SineSamples(6, 22050, 1000, 300, 0.3)));
    OggStream stream;
    EXPECT_FALSE(stream.Open(files, "Music/six.ogg"));
    EXPECT_TRUE(stream.Ended());

    std::vector<int16_t> mono = SineSamples(1, 22050, 1000, 300, 0.5);
    Write("Music/chain.ogg", OggFile(1, 22050, mono) + OggFile(1, 44100, mono));
    ASSERT_TRUE(stream.Open(files, "Music/chain.ogg"));
    EXPECT_EQ(Pieces(stream, false, 1), (std::vector<int32_t>{2000}));
}

// Files written by other tools: the WAVs hold sines of known shape and the
// Ogg files were encoded from the 16-bit WAVs, made once with
//   sox -n -r 22050 -b 16 -c 1 sine_mono16_22k.wav synth 0.1 sine 440 vol 0.5
//   sox -n -r 44100 -b 16 -c 2 sine_stereo16_44k.wav synth 0.1 sine 440 sine 660 vol 0.5
//   (and -b 8 for the 8-bit ones at 22050 Hz)
//   oggenc -Q -q 6 -o sine_mono_22k.ogg sine_mono16_22k.wav
//   oggenc -Q -q 6 -o sine_stereo_44k.ogg sine_stereo16_44k.wav
class ToolFileTest : public ::testing::Test {
protected:
    ToolFileTest() {
        const char* source = std::getenv("TAVRIN_SOURCE_DIR");
        files.AddRoot((std::string(source ? source : ".") + "/tests/platform/data").c_str());
    }
    FileManager files;
};

TEST_F(ToolFileTest, WavFilesHoldTheirSines) {
    struct Case { const char* name; int channels, rate, bits; };
    for (Case c : {Case{"sine_mono16_22k.wav", 1, 22050, 16}, Case{"sine_stereo16_44k.wav", 2, 44100, 16},
                   Case{"sine_mono8_22k.wav", 1, 22050, 8}, Case{"sine_stereo8_22k.wav", 2, 22050, 8}}) {
        DecodedSound pcm;
        ASSERT_TRUE(DecodeWav(files, c.name, pcm)) << c.name;
        EXPECT_EQ(pcm.rate, c.rate);
        int frames = c.rate / 10;
        std::vector<int16_t> expected = SineSamples(c.channels, c.rate, frames, 440.0, 0.5);
        // The second channel of the stereo files is at 660 Hz, not 880.
        if (c.channels == 2) {
            std::vector<int16_t> second = SineSamples(1, c.rate, frames, 660.0, 0.5);
            for (int f = 0; f < frames; ++f) expected[size_t(f) * 2 + 1] = second[size_t(f)];
        }
        std::vector<int16_t> decoded;
        if (c.bits == 16) {
            decoded = ToSamples(pcm.data, pcm.size);
        } else {
            for (uint32_t i = 0; i < pcm.size; ++i) decoded.push_back(int16_t((int(pcm.data[i]) - 128) * 256));
        }
        ASSERT_EQ(decoded.size(), expected.size()) << c.name;
        double tolerance = c.bits == 16 ? 0.01 : 0.02;  // dither and quantisation
        EXPECT_LT(RmsDifference(decoded, expected), tolerance * 32767) << c.name;
    }
}

TEST_F(ToolFileTest, OggFilesMatchTheirSourceWavs) {
    struct Case { const char* ogg; const char* wav; int32_t format; int rate; };
    for (Case c : {Case{"sine_mono_22k.ogg", "sine_mono16_22k.wav", DecodedSound::kMono16, 22050},
                   Case{"sine_stereo_44k.ogg", "sine_stereo16_44k.wav", DecodedSound::kStereo16, 44100}}) {
        DecodedSound ogg, wav;
        ASSERT_TRUE(DecodeOgg(files, c.ogg, ogg)) << c.ogg;
        ASSERT_TRUE(DecodeWav(files, c.wav, wav));
        EXPECT_EQ(ogg.format, c.format);
        EXPECT_EQ(ogg.rate, c.rate);
        std::vector<int16_t> decoded = ToSamples(ogg.data, ogg.size);
        std::vector<int16_t> source = ToSamples(wav.data, wav.size);
        ASSERT_EQ(decoded.size(), source.size()) << c.ogg;
        EXPECT_LT(RmsDifference(decoded, source), 0.02 * 32767) << c.ogg;
    }
}

}  // namespace
