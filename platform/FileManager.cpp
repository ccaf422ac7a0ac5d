#include "platform/FileManager.h"

#include "platform/ArchiveStream.h"
#include "platform/AsciiCase.h"
#include "platform/SplitPath.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string_view>

namespace {

constexpr const char* kDataRoots[] = {"Data/Windows", "Data/Shared", "Data/Global"};
constexpr std::string_view kSoundRootEndings[] = {"Global", "Shared"};
// LoadFile reads in pieces that a 32-bit item count can report.
constexpr uint32_t kLoadChunk = 1u << 30;

bool IsSoundRoot(std::string_view path) {
    for (std::string_view ending : kSoundRootEndings) {
        if (path.size() >= ending.size() &&
            halvo::AsciiEqualNoCase(path.substr(path.size() - ending.size()), ending)) {
            return true;
        }
    }
    return false;
}

}  // namespace

FileManager& FileManager::Global() {
    static FileManager manager;
    return manager;
}

void FileManager::AddRoot(const char* path) {
    if (!path) return;
    halvo::AutoRef<_DirInfo> root(new _DirInfo(nullptr, path));
    roots_.push_back(root);
    root->Scan();
}

void FileManager::RemoveRoot(const std::string& path) {
    std::erase_if(roots_, [&path](const halvo::AutoRef<_DirInfo>& root) { return root->GetName() == path; });
}

void FileManager::MountDataRoots() {
    for (const char* root : kDataRoots) AddRoot(root);
}

void FileManager::MountSoundRoots(const FileManager& global) {
    for (const std::string& path : global.GetRootPaths()) {
        if (IsSoundRoot(path)) AddRoot(path.c_str());
    }
}

std::vector<std::string> FileManager::GetRootPaths() const {
    std::vector<std::string> paths;
    for (const halvo::AutoRef<_DirInfo>& root : roots_) paths.push_back(root->GetName());
    return paths;
}

FileHandle* FileManager::OpenFile(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FileHandle* handle = OpenFormatted(format, args);
    va_end(args);
    return handle;
}

FileHandle* FileManager::OpenFormatted(const char* format, va_list args) {
    NameBuffer name;
    return FormatName(name, kMaxNameLength, format, args) ? OpenName(name) : nullptr;
}

bool FileManager::FormatName(NameBuffer& name, size_t maxLength, const char* format, va_list args) {
    if (!format) return false;
    const int length = std::vsnprintf(name, sizeof name, format, args);
    return length >= 0 && size_t(length) <= std::min(maxLength, kMaxNameLength);
}

FileHandle* FileManager::OpenName(const char* name) {
    std::vector<std::string> components = SplitPath(name);
    if (components.empty() || components.size() > kMaxComponents) return nullptr;
    std::string pathBuffer;
    for (const halvo::AutoRef<_DirInfo>& root : roots_) {
        if (FileHandle* handle = root->OpenFile(pathBuffer, components, 0)) return handle;
    }
    return nullptr;
}

int32_t FileManager::Read(FileHandle* handle, void* buffer, size_t itemSize, size_t itemCount) {
    if (!handle) return -1;
    if (handle->entry) return handle->entry->Read(buffer, itemSize, itemCount);
    if (!handle->file) return 0;
    size_t bytes = 0;
    if (itemCount > INT32_MAX || __builtin_mul_overflow(itemSize, itemCount, &bytes)) return -1;
    if (buffer) return static_cast<int32_t>(std::fread(buffer, itemSize, itemCount, handle->file));
    if (bytes > size_t(INT64_MAX) || fseeko(handle->file, off_t(bytes), SEEK_CUR) != 0) return -1;
    return static_cast<int32_t>(itemCount);
}

void FileManager::Close(FileHandle* handle) {
    if (!handle) return;
    if (handle->file) std::fclose(handle->file);
    if (handle->entry) handle->entry->Close();
    delete handle;
}

char* FileManager::LoadFile(uint32_t* outSize, const char* format, ...) {
    if (outSize) *outSize = 0;
    va_list args;
    va_start(args, format);
    FileHandle* handle = OpenFormatted(format, args);
    va_end(args);
    if (!handle) return nullptr;
    uint32_t size = handle->size;
    char* buffer = static_cast<char*>(std::malloc(size_t(size) + 1));
    if (buffer && !ReadWhole(handle, buffer, size)) {
        std::free(buffer);
        buffer = nullptr;
    }
    Close(handle);
    if (!buffer) return nullptr;
    buffer[size] = 0;
    if (outSize) *outSize = size;
    return buffer;
}

bool FileManager::ReadWhole(FileHandle* handle, char* buffer, uint32_t size) {
    uint32_t done = 0;
    while (done < size) {
        uint32_t piece = size - done < kLoadChunk ? size - done : kLoadChunk;
        int32_t got = Read(handle, buffer + done, 1, piece);
        if (got <= 0) return false;
        done += uint32_t(got);
    }
    return true;
}

void FileManager::ResetDirectoryCaches() {
    for (halvo::AutoRef<_DirInfo>& root : roots_) root->ClearCache();
}
