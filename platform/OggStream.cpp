#include "platform/OggStream.h"

#include "platform/VorbisFileSource.h"

#include <climits>

bool OggStream::Open(FileManager& files, const std::string& path) {
    Close();
    files_ = &files;
    path_ = path;
    if (!Reopen()) return false;
    format_ = VorbisAlFormat(decoder_);
    rate_ = VorbisRate(decoder_);
    if (format_ == 0 || rate_ == 0) {
        Close();
        return false;
    }
    return true;
}

bool OggStream::Reopen() {
    Close();
    section_ = 0;
    producedSinceOpen_ = false;
    open_ = OpenVorbisFile(*files_, path_.c_str(), decoder_);
    return open_;
}

void OggStream::Close() {
    if (!open_) return;
    ov_clear(&decoder_);
    open_ = false;
}

bool OggStream::SectionMatches() {
    return VorbisAlFormat(decoder_) == format_ && VorbisRate(decoder_) == rate_;
}

int32_t OggStream::ReadPiece(char* buffer, size_t capacity, bool loop) {
    if (!open_) return -1;
    if (capacity > INT_MAX) capacity = INT_MAX;
    size_t filled = 0;
    while (filled < capacity) {
        int section = section_;
        long got = ReadVorbis(decoder_, buffer + filled, int(capacity - filled), &section);
        bool atEnd = got == 0 || got == OV_EOF || got == OV_HOLE;
        if (got > 0 && section != section_) {
            section_ = section;
            atEnd = !SectionMatches();  // a changed shape ends the file here
        }
        if (got < 0 && !atEnd) {
            Close();
            return -1;
        }
        if (!atEnd) {
            filled += size_t(got);
            producedSinceOpen_ = true;
            continue;
        }
        // A file that gives nothing before its end would reopen forever.
        bool again = loop && producedSinceOpen_;
        Close();
        if (!again) break;
        if (!Reopen()) return filled ? int32_t(filled) : -1;
        if (!SectionMatches()) {
            Close();
            break;
        }
    }
    return int32_t(filled);
}
