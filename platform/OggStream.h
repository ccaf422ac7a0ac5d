#pragma once
// Piecewise Ogg Vorbis decoding for music and ambience on the sound thread.
// A looping stream opens its file again at the end and goes on filling the
// same piece, so the queue sees no gap.

#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <string>

class FileManager;

class OggStream {
public:
    static constexpr size_t kPieceSize = 32768;

    OggStream() = default;
    OggStream(const OggStream&) = delete;
    OggStream& operator=(const OggStream&) = delete;
    ~OggStream() { Close(); }

    // Opens `path` through `files`; false (and ended) when it is missing,
    // undecodable, or neither mono nor stereo.
    bool Open(FileManager& files, const std::string& path);
    // Decodes up to `capacity` bytes; the number of bytes, or -1 once ended
    // before anything was read or on a decode error. At the end of a file
    // that does not loop, or one that loops but holds no samples, the stream
    // ends after handing over what it has.
    int32_t ReadPiece(char* buffer, size_t capacity, bool loop);
    void Close();

    bool Ended() const { return !open_; }
    int32_t Format() const { return format_; }
    int32_t Rate() const { return rate_; }

private:
    bool Reopen();
    // False when the current section cannot continue this stream's samples.
    bool SectionMatches();

    FileManager* files_ = nullptr;
    std::string path_;
    OggVorbis_File decoder_{};
    bool open_ = false;
    int section_ = 0;
    bool producedSinceOpen_ = false;
    int32_t format_ = 0;
    int32_t rate_ = 0;
};
