#pragma once
// Uncompressed TGA pictures as plain pixel buffers (for the few places that
// need pixel access).

#include "platform/Math.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// The body of LoadTGA once the named file's bytes are in memory.
// LoadTGA(size, bits, format, ...) formats the name (at most
// kMaxTgaNameLength characters), fetches the file through the file manager
// and calls this; a missing file gives null.
//
// Reports the header's width, height (sign-extended 16-bit) and bits per
// pixel, then answers the pixels in stored row order: 8-bit images as their
// index or grey bytes (colour map skipped), 24-bit ones widened to B G R A
// with alpha 255 (reported as 32), 32-bit ones as stored. Null for other
// depths, compressed or unknown image types, empty sizes and files shorter
// than their pixel data.
std::unique_ptr<uint8_t[]> LoadTGAFromMemory(Point2i* size, int32_t* bitsPerPixel,
                                             const void* data, size_t byteCount);

inline constexpr size_t kMaxTgaNameLength = 259;

std::unique_ptr<uint8_t[]> LoadTGA(Point2i* size, int32_t* bitsPerPixel, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
