#include "platform/VorbisFileSource.h"

#include "platform/DecodedSound.h"
#include "platform/FileManager.h"

#include <cerrno>
#include <climits>

namespace {

size_t ReadCallback(void* buffer, size_t itemSize, size_t itemCount, void* source) {
    int32_t got = FileManager::Read(static_cast<FileHandle*>(source), buffer, itemSize, itemCount);
    if (got < 0) {
        errno = EIO;  // vorbisfile reads a zero result with errno set as an error
        return 0;
    }
    return size_t(got);
}

int CloseCallback(void* source) {
    FileManager::Close(static_cast<FileHandle*>(source));
    return 0;
}

}  // namespace

bool OpenVorbisFile(FileManager& files, const char* path, OggVorbis_File& decoder) {
    FileHandle* handle = files.OpenFile("%s", path);
    if (!handle) return false;
    ov_callbacks callbacks = {ReadCallback, nullptr, CloseCallback, nullptr};
    if (ov_open_callbacks(handle, &decoder, nullptr, 0, callbacks) != 0) {
        // A failed open leaves the handle with us.
        FileManager::Close(handle);
        return false;
    }
    return true;
}

int32_t VorbisAlFormat(OggVorbis_File& decoder) {
    vorbis_info* info = ov_info(&decoder, -1);
    if (!info) return 0;
    if (info->channels == 1) return DecodedSound::kMono16;
    if (info->channels == 2) return DecodedSound::kStereo16;
    return 0;
}

int32_t VorbisRate(OggVorbis_File& decoder) {
    vorbis_info* info = ov_info(&decoder, -1);
    return info && info->rate > 0 && info->rate <= INT32_MAX ? int32_t(info->rate) : 0;
}

long ReadVorbis(OggVorbis_File& decoder, char* buffer, int size, int* section) {
    constexpr int kLittleEndian = 0, kSixteenBit = 2, kSigned = 1;
    return ov_read(&decoder, buffer, size, kLittleEndian, kSixteenBit, kSigned, section);
}
