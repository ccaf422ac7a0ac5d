#include "platform/OggDecoder.h"

#include "platform/VorbisFileSource.h"

#include <cstring>
#include <vector>

namespace {

constexpr int kPieceSize = 32768;

// True when the read ended cleanly, false on a decode error.
bool DecodeAll(OggVorbis_File& decoder, std::vector<uint8_t>& pcm) {
    int32_t format = VorbisAlFormat(decoder);
    int32_t rate = VorbisRate(decoder);
    char piece[kPieceSize];
    int section = 0;
    for (;;) {
        long got = ReadVorbis(decoder, piece, kPieceSize, &section);
        if (got == 0 || got == OV_EOF || got == OV_HOLE) return true;
        if (got < 0) return false;
        // A chained section of another shape would be read as garbage.
        if (VorbisAlFormat(decoder) != format || VorbisRate(decoder) != rate) return true;
        pcm.insert(pcm.end(), piece, piece + got);
    }
}

}  // namespace

bool DecodeOgg(FileManager& files, const char* path, DecodedSound& out) {
    out.Reset();
    OggVorbis_File decoder;
    if (!OpenVorbisFile(files, path, decoder)) return false;
    int32_t format = VorbisAlFormat(decoder);
    int32_t rate = VorbisRate(decoder);
    std::vector<uint8_t> pcm;
    bool ok = format != 0 && rate != 0 && DecodeAll(decoder, pcm) && pcm.size() <= UINT32_MAX;
    ov_clear(&decoder);
    if (!ok) return false;
    out.data = static_cast<uint8_t*>(std::malloc(pcm.empty() ? 1 : pcm.size()));
    if (!out.data) return false;
    // An empty vector may hold no buffer at all, which memcpy must not see.
    if (!pcm.empty()) std::memcpy(out.data, pcm.data(), pcm.size());
    out.size = uint32_t(pcm.size());
    out.format = format;
    out.rate = rate;
    return true;
}
