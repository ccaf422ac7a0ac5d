#include "platform/ArchiveStream.h"

#include <algorithm>
#include <climits>
#include <new>

namespace {

// Skipped data is inflated into this much stack at a time.
constexpr size_t kSkipChunk = 4096;

}  // namespace

ArchiveStream* ArchiveStream::Open(FileArchive* archive, const ArchiveEntry& entry) {
    ArchiveStream* stream = new (std::nothrow) ArchiveStream;
    if (!stream) return nullptr;
    stream->file_ = std::fopen(archive->path_.c_str(), "rb");
    if (!stream->file_ || fseeko(stream->file_, entry.dataOffset, SEEK_SET) != 0) {
        delete stream;
        return nullptr;
    }
    // The input buffer is our own and large; stdio's would only copy twice.
    std::setvbuf(stream->file_, nullptr, _IONBF, 0);
    if (inflateInit(&stream->inflater_) != Z_OK) {
        delete stream;
        return nullptr;
    }
    stream->inflaterReady_ = true;
    stream->size_ = entry.unpackedSize;
    stream->Refill();
    stream->archive_ = archive;
    return stream;
}

ArchiveStream::~ArchiveStream() {
    if (inflaterReady_) inflateEnd(&inflater_);
    if (file_) std::fclose(file_);
}

void ArchiveStream::Close() {
    if (archive_) archive_->StreamClosed();
    delete this;
}

bool ArchiveStream::Refill() {
    size_t got = std::fread(input_, 1, kInputBufferSize, file_);
    inflater_.next_in = input_;
    inflater_.avail_in = static_cast<uInt>(got);
    return got > 0;
}

int64_t ArchiveStream::Inflate(unsigned char* out, size_t room) {
    size_t produced = 0;
    while (produced < room && !atEnd_) {
        size_t chunk = std::min<size_t>(room - produced, UINT_MAX);
        inflater_.next_out = out + produced;
        inflater_.avail_out = static_cast<uInt>(chunk);
        int result = inflate(&inflater_, Z_NO_FLUSH);
        produced += chunk - inflater_.avail_out;
        if (result == Z_STREAM_END) {
            atEnd_ = true;
        } else if (result != Z_OK && result != Z_BUF_ERROR) {
            return -1;
        } else if (inflater_.avail_in == 0) {
            if (produced < room && !Refill()) break;  // the file ended early
        } else if (result == Z_BUF_ERROR) {
            return -1;  // input and room, yet no progress
        }
    }
    return static_cast<int64_t>(produced);
}

int32_t ArchiveStream::Read(void* buffer, size_t itemSize, size_t itemCount) {
    if (atEnd_ || itemSize == 0 || itemCount == 0) return 0;
    size_t wanted = 0;
    if (itemCount > INT32_MAX || __builtin_mul_overflow(itemSize, itemCount, &wanted)) return -1;
    if (buffer) {
        int64_t produced = Inflate(static_cast<unsigned char*>(buffer), wanted);
        return produced < 0 ? -1 : static_cast<int32_t>(uint64_t(produced) / itemSize);
    }
    unsigned char scratch[kSkipChunk];
    uint64_t skipped = 0;
    while (skipped < wanted) {
        int64_t produced = Inflate(scratch, std::min<uint64_t>(kSkipChunk, wanted - skipped));
        if (produced < 0) return -1;
        if (produced == 0) break;
        skipped += uint64_t(produced);
    }
    return static_cast<int32_t>(skipped / itemSize);
}
