#pragma once
// A picture as the data tool holds it between reading and writing: B G R A
// pixels, rows from the top, whatever order the file stored them in.

#include <cstddef>
#include <cstdint>
#include <vector>

struct Picture {
    // A side beyond this cannot be a scene or GUI picture (the design area is
    // 1920 wide), and it keeps one picture's pixels below 1 GiB.
    static constexpr int kMaxSide = 16384;

    int width = 0, height = 0;
    std::vector<uint8_t> pixels;

    bool HasTransparency() const;
    // Bytes of pixel (x, y); the caller keeps x and y inside.
    const uint8_t* At(int x, int y) const {
        return pixels.data() + (static_cast<size_t>(y) * width + x) * 4;
    }
};

// Reads a TGA file (8-bit grey, 24 or 32 bits, uncompressed) and turns its
// rows and columns the right way by the header's origin bits; a 32-bit file
// that declares no alpha bits is taken as opaque. Null on success, else why
// the file was refused (the picture is then left empty).
const char* ReadTgaPicture(const void* data, size_t size, Picture& out);

// Raw R G B A bytes, rows from the top, of the stated size. Null on success,
// else why not.
const char* ReadRawPicture(const void* data, size_t size, int width, int height, Picture& out);
