// The file-backed entry points of the image loaders: name formatting and
// fetching through the file manager; the decoding lives beside each format.

#include "platform/FileManager.h"
#include "platform/GLImage.h"
#include "platform/TgaFile.h"

#include <cstdarg>
#include <memory>

namespace {

// Null when the formatted name is longer than maxLength or the file is
// missing.
LoadedFile LoadNamedFile(uint32_t* byteCount, size_t maxLength, const char* format,
                        va_list args) {
    FileManager::NameBuffer name;
    if (!FileManager::FormatName(name, maxLength, format, args)) return nullptr;
    return LoadedFile(FileManager::Global().LoadFile(byteCount, "%s", name));
}

}  // namespace

bool GLImage::Load(const char* format, ...) {
    va_list args;
    va_start(args, format);
    uint32_t byteCount = 0;
    LoadedFile bytes = LoadNamedFile(&byteCount, kMaxNameLength, format, args);
    va_end(args);
    if (!bytes) {
        MarkLoadFailed();
        return false;
    }
    return LoadFromMemory(bytes.get(), byteCount);
}

std::unique_ptr<uint8_t[]> LoadTGA(Point2i* size, int32_t* bitsPerPixel, const char* format, ...) {
    va_list args;
    va_start(args, format);
    uint32_t byteCount = 0;
    LoadedFile bytes = LoadNamedFile(&byteCount, kMaxTgaNameLength, format, args);
    va_end(args);
    if (!bytes) return nullptr;
    return LoadTGAFromMemory(size, bitsPerPixel, bytes.get(), byteCount);
}
