#include "support/SoundWriter.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstring>

namespace testsupport {

namespace {

constexpr double kPi = 3.14159265358979323846;

void PutLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(char((value >> (8 * i)) & 0xff));
}

void AppendPages(ogg_stream_state& stream, std::string& out, bool flush) {
    ogg_page page;
    while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
        out.append(reinterpret_cast<const char*>(page.header), size_t(page.header_len));
        out.append(reinterpret_cast<const char*>(page.body), size_t(page.body_len));
    }
}

void DrainPackets(vorbis_dsp_state& dsp, vorbis_block& block, ogg_stream_state& stream,
                  std::string& out) {
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        ogg_packet packet;
        while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
            ogg_stream_packetin(&stream, &packet);
            AppendPages(stream, out, false);
        }
    }
}

}  // namespace

std::string WavFormatChunk(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t tag) {
    std::string body;
    uint16_t blockAlign = uint16_t(channels * bits / 8);
    PutLe(body, tag, 2);
    PutLe(body, channels, 2);
    PutLe(body, rate, 4);
    PutLe(body, rate * blockAlign, 4);
    PutLe(body, blockAlign, 2);
    PutLe(body, bits, 2);
    return body;
}

std::string WavExtensibleFormatChunk(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t subFormat) {
    std::string body = WavFormatChunk(channels, rate, bits, 0xFFFE);
    PutLe(body, 22, 2);                       // extension size
    PutLe(body, bits, 2);                     // valid bits
    PutLe(body, channels == 2 ? 3 : 4, 4);    // front left and right, or centre
    PutLe(body, subFormat, 2);
    body.append("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    return body;
}

std::string WavChunk(std::string_view tag, std::string_view body) {
    std::string out(tag);
    PutLe(out, uint32_t(body.size()), 4);
    out.append(body);
    if (body.size() & 1) out.push_back('\0');
    return out;
}

std::string WavFile(std::string_view chunks, std::string_view riff, std::string_view wave) {
    std::string out(riff);
    PutLe(out, uint32_t(chunks.size() + 4), 4);
    out.append(wave);
    out.append(chunks);
    return out;
}

std::string SimpleWav(uint16_t channels, uint32_t rate, uint16_t bits, std::string_view samples) {
    return WavFile(WavChunk("fmt ", WavFormatChunk(channels, rate, bits)) + WavChunk("data", samples));
}

std::vector<int16_t> SineSamples(int channels, int rate, int frames, double frequency,
                                 double amplitude) {
    std::vector<int16_t> samples;
    samples.reserve(size_t(channels) * size_t(frames));
    for (int frame = 0; frame < frames; ++frame) {
        for (int c = 0; c < channels; ++c) {
            double phase = 2.0 * kPi * frequency * (c + 1) * frame / rate;
            samples.push_back(int16_t(std::lround(std::sin(phase) * amplitude * 32767.0)));
        }
    }
    return samples;
}

std::string SampleBytes(const std::vector<int16_t>& samples) {
    std::string out;
    for (int16_t sample : samples) PutLe(out, uint16_t(sample), 2);
    return out;
}

std::vector<int16_t> ToSamples(const void* bytes, size_t size) {
    std::vector<int16_t> samples(size / 2);
    std::memcpy(samples.data(), bytes, samples.size() * 2);
    return samples;
}

std::string OggFile(int channels, int rate, const std::vector<int16_t>& samples) {
    vorbis_info info;
    vorbis_info_init(&info);
    vorbis_encode_init_vbr(&info, channels, rate, 0.4f);
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    static int serial = 1;  // chained files need distinct serial numbers
    ogg_stream_init(&stream, serial++);

    std::string out;
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    AppendPages(stream, out, true);

    size_t frames = samples.size() / size_t(channels);
    constexpr size_t kChunk = 1024;
    for (size_t start = 0; start < frames; start += kChunk) {
        size_t count = frames - start < kChunk ? frames - start : kChunk;
        float** buffer = vorbis_analysis_buffer(&dsp, int(count));
        for (size_t f = 0; f < count; ++f) {
            for (int c = 0; c < channels; ++c) {
                buffer[c][f] = samples[(start + f) * size_t(channels) + size_t(c)] / 32768.0f;
            }
        }
        vorbis_analysis_wrote(&dsp, int(count));
        DrainPackets(dsp, block, stream, out);
    }
    vorbis_analysis_wrote(&dsp, 0);
    DrainPackets(dsp, block, stream, out);
    AppendPages(stream, out, true);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

}  // namespace testsupport
