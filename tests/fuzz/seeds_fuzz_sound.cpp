// seeds_fuzz_sound FOLDER: writes the seed files of the sound fuzz target,
// made by the test writers when the tests run: WAV of each width and channel
// count (plain, extensible, with extra chunks), a compressed-tag WAV, and
// short Ogg Vorbis files, mono and stereo.

#include "support/SoundWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace testsupport;

// Short sounds keep each seed a few kilobytes at most: the fuzzer's input
// size follows the largest seed.
constexpr int kRate = 8000;
constexpr int kFrames = 400;

bool Write(const std::filesystem::path& folder, const char* name, const std::string& bytes) {
    std::ofstream out(folder / name, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: seeds_fuzz_sound FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string samples = SampleBytes(SineSamples(1, kRate, 32, 440.0, 0.5));
    const std::string chunks = WavChunk("LIST", "INFOISFT\4\0\0\0abcd") + WavChunk("junk", "abc");
    bool ok = Write(folder, "mono8.wav", SimpleWav(1, kRate, 8, samples.substr(0, 33))) &&
              Write(folder, "stereo8.wav", SimpleWav(2, kRate, 8, samples)) &&
              Write(folder, "mono16.wav", SimpleWav(1, kRate, 16, samples)) &&
              Write(folder, "stereo16.wav", SimpleWav(2, kRate, 16, samples)) &&
              Write(folder, "chunks.wav",
                    WavFile(chunks + WavChunk("fmt ", WavFormatChunk(2, kRate, 16)) + WavChunk("data", samples),
                            "riff", "wave")) &&
              Write(folder, "extensible.wav",
                    WavFile(WavChunk("fmt ", WavExtensibleFormatChunk(2, kRate, 16, 1)) + WavChunk("data", samples))) &&
              Write(folder, "alaw.wav",
                    WavFile(WavChunk("fmt ", WavFormatChunk(1, kRate, 8, 6)) + WavChunk("data", samples))) &&
              Write(folder, "mono.ogg", OggFile(1, kRate, SineSamples(1, kRate, kFrames, 440.0, 0.5))) &&
              Write(folder, "stereo.ogg", OggFile(2, kRate, SineSamples(2, kRate, kFrames, 330.0, 0.5))) &&
              Write(folder, "empty.ogg", OggFile(1, kRate, {}));
    if (!ok) {
        std::fprintf(stderr, "seeds_fuzz_sound: cannot write the seeds into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
