#pragma once
// Writes small sound files for tests: RIFF WAVE with chosen chunks, and Ogg
// Vorbis encoded in memory, so that each test states the file it needs.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// A 16-byte "fmt " body, PCM unless another format tag is given.
std::string WavFormatChunk(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t tag = 1);
// A 40-byte extensible "fmt " body (tag 0xFFFE) whose sub-format GUID is
// the standard one for the format code `subFormat` (1 for PCM).
std::string WavExtensibleFormatChunk(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t subFormat);
// A chunk: tag, little-endian size, body, pad byte after an odd size.
std::string WavChunk(std::string_view tag, std::string_view body);
// "RIFF" size "WAVE" followed by the chunks.
std::string WavFile(std::string_view chunks, std::string_view riff = "RIFF",
                    std::string_view wave = "WAVE");
// A plain PCM file with one fmt and one data chunk.
std::string SimpleWav(uint16_t channels, uint32_t rate, uint16_t bits, std::string_view samples);

// Interleaved 16-bit samples of a sine per channel (channel c at
// frequency * (c + 1)), at `amplitude` of full scale.
std::vector<int16_t> SineSamples(int channels, int rate, int frames, double frequency,
                                 double amplitude);
std::string SampleBytes(const std::vector<int16_t>& samples);

// Ogg Vorbis of the interleaved samples; no samples gives a stream with
// headers only.
std::string OggFile(int channels, int rate, const std::vector<int16_t>& samples);

std::vector<int16_t> ToSamples(const void* bytes, size_t size);

}  // namespace testsupport
