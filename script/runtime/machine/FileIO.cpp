#include "script/runtime/machine/FileIO.h"

#include <filesystem>
#include <system_error>

namespace Vrel {

namespace {

// Grants the owner write permission on an existing file; false when there
// is no such file or it was writable already.
bool MakeWritable(const char* path) {
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error || !std::filesystem::is_regular_file(status)) return false;
    if ((status.permissions() & std::filesystem::perms::owner_write) != std::filesystem::perms::none) return false;
    std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add,
                                 error);
    return !error;
}

}  // namespace

FileIO::~FileIO() { Close(); }

bool FileIO::OpenRead(const char* path) {
    Close();
    if (!path) return false;
    file_ = std::fopen(path, "rb");
    if (!file_) return false;
    ResetState();
    long size = -1;
    if (std::fseek(file_, 0, SEEK_END) == 0) size = std::ftell(file_);
    std::fseek(file_, 0, SEEK_SET);
    size_ = size > 0 && static_cast<unsigned long>(size) <= UINT32_MAX ? static_cast<uint32_t>(size) : 0;
    position_ = 0;
    reading_ = true;
    return true;
}

void FileIO::Read(void* buffer, uint32_t size) {
    if (error_ || !file_ || !reading_) return;
    size_t got = std::fread(buffer, 1, size, file_);
    position_ += got;
    if (got < size) error_ = true;
}

void FileIO::Close() {
    if (!file_) return;
    bool flushed = std::fclose(file_) == 0;
    if (!flushed && !reading_) error_ = true;
    file_ = nullptr;
}

bool FileIO::OpenWrite(const char* path) {
    Close();
    ResetState();
    reading_ = false;
    if (path) {
        file_ = std::fopen(path, "wb");
        if (!file_ && MakeWritable(path)) file_ = std::fopen(path, "wb");
    }
    if (!file_) error_ = true;
    return file_ != nullptr;
}

void FileIO::Write(const void* buffer, uint32_t size) {
    if (error_ || !file_ || reading_) return;
    if (std::fwrite(buffer, 1, size, file_) < size) error_ = true;
}

uint64_t FileIO::Remaining() const {
    if (!reading_ || !file_) return 0;
    return position_ < size_ ? size_ - position_ : 0;
}

}  // namespace Vrel
