// Sound files from arbitrary bytes: the WAV reader, whole-file Ogg Vorbis
// decoding and the streaming decoder (once plain, once looping) all read the
// same bytes. No sound device is involved. What must hold: a refused file
// leaves no samples; an accepted one names a format the device plays, a
// positive rate and whole frames; a stream never hands over more than it
// was asked for, and a looping one ends or fills its pieces.

#include "platform/DecodedSound.h"
#include "platform/FileManager.h"
#include "platform/OggDecoder.h"
#include "platform/OggStream.h"
#include "platform/WavDecoder.h"
#include "support/TempFolder.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace {

// Pieces read from one stream: enough to pass the end of a small file and
// loop once or twice, few enough to keep a run short.
constexpr int kPiecesPerStream = 4;
constexpr const char* kName = "sound.bin";

// Rewriting a file on a disk file system may flush it on every run (a
// few times slower); a memory-backed folder, where there is one, does not.
std::string FastestBase() {
    std::error_code ignored;
    return std::filesystem::is_directory("/dev/shm", ignored) ? "/dev/shm" : "";
}

struct Folder {
    testsupport::TempFolder root{FastestBase()};
    FileManager files;
    Folder() {
        // The name must exist when the folder is listed; its bytes change
        // with every run.
        root.WriteFile(kName, "");
        files.AddRoot(root.Path().c_str());
    }
};

int FrameBytes(int32_t format) {
    switch (format) {
        case DecodedSound::kMono8: return 1;
        case DecodedSound::kMono16:
        case DecodedSound::kStereo8: return 2;
        case DecodedSound::kStereo16: return 4;
        default: return 0;
    }
}

void CheckDecoded(bool accepted, const DecodedSound& sound, bool sixteenBitsOnly) {
    if (!accepted) {
        if (sound.data || sound.size) __builtin_trap();
        return;
    }
    const int frame = FrameBytes(sound.format);
    if (!sound.data || frame == 0 || sound.rate <= 0 || sound.size % frame != 0) __builtin_trap();
    if (sixteenBitsOnly && (sound.format == DecodedSound::kMono8 || sound.format == DecodedSound::kStereo8))
        __builtin_trap();
    // Touch every byte, so that the sanitizer sees an over-read.
    volatile uint8_t sum = 0;
    for (uint32_t i = 0; i < sound.size; ++i) sum = uint8_t(sum + sound.data[i]);
}

void Stream(FileManager& files, bool loop) {
    static char piece[OggStream::kPieceSize];
    OggStream stream;
    if (!stream.Open(files, kName)) {
        if (!stream.Ended()) __builtin_trap();
        return;
    }
    if (FrameBytes(stream.Format()) == 0 || stream.Rate() <= 0) __builtin_trap();
    for (int i = 0; i < kPiecesPerStream && !stream.Ended(); ++i) {
        const int32_t got = stream.ReadPiece(piece, sizeof piece, loop);
        if (got > int32_t(sizeof piece) || got < -1) __builtin_trap();
        if (got < 0 && !stream.Ended()) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Folder folder;
    folder.root.WriteFile(kName, std::string(reinterpret_cast<const char*>(data), size));

    DecodedSound wav;
    CheckDecoded(DecodeWav(folder.files, kName, wav), wav, false);
    DecodedSound ogg;
    CheckDecoded(DecodeOgg(folder.files, kName, ogg), ogg, true);
    Stream(folder.files, false);
    Stream(folder.files, true);
    return 0;
}
