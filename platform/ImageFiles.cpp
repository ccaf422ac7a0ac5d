// The file-backed entry points of the image loaders: name formatting and
// fetching through the file manager; the decoding lives beside each format.

#include "platform/FileManager.h"
#include "platform/GLImage.h"
#include "platform/TgaFile.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};
using FileBytes = std::unique_ptr<char, FreeDeleter>;

// False when the formatted name does not fit: a truncated name must never
// open some other, shorter file.
bool FormatName(char* out, size_t capacity, size_t maxLength, const char* format, va_list args) {
    const int length = std::vsnprintf(out, capacity, format, args);
    return length >= 0 && static_cast<size_t>(length) <= maxLength;
}

}  // namespace

bool GLImage::Load(const char* format, ...) {
    char name[kMaxNameLength + 1];
    va_list args;
    va_start(args, format);
    const bool fits = FormatName(name, sizeof name, kMaxNameLength, format, args);
    va_end(args);
    uint32_t byteCount = 0;
    FileBytes bytes(fits ? FileManager::Global().LoadFile(&byteCount, "%s", name) : nullptr);
    if (!bytes) {
        MarkLoadFailed();
        return false;
    }
    return LoadFromMemory(bytes.get(), byteCount);
}

std::unique_ptr<uint8_t[]> LoadTGA(Point2i* size, int32_t* bitsPerPixel, const char* format, ...) {
    char name[kMaxTgaNameLength + 1];
    va_list args;
    va_start(args, format);
    const bool fits = FormatName(name, sizeof name, kMaxTgaNameLength, format, args);
    va_end(args);
    uint32_t byteCount = 0;
    FileBytes bytes(fits ? FileManager::Global().LoadFile(&byteCount, "%s", name) : nullptr);
    if (!bytes) return nullptr;
    return LoadTGAFromMemory(size, bitsPerPixel, bytes.get(), byteCount);
}
