#pragma once
// Small pictures and TGA files for the data tool's tests.

#include "tools/datawriters/Picture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace datatooltest {

// An uncompressed TGA of the given depth; `pixels` are stored as given (the
// caller orders the rows to match `descriptor`).
inline std::string Tga(int width, int height, uint8_t bits, uint8_t descriptor,
                       const std::vector<uint8_t>& pixels, uint8_t type = 2) {
    std::string file(18, '\0');
    file[2] = static_cast<char>(type);
    file[12] = static_cast<char>(width), file[13] = static_cast<char>(width >> 8);
    file[14] = static_cast<char>(height), file[15] = static_cast<char>(height >> 8);
    file[16] = static_cast<char>(bits);
    file[17] = static_cast<char>(descriptor);
    file.append(pixels.begin(), pixels.end());
    return file;
}

// B G R A of pixel (x, y) in the test pattern: every pixel differs, so a
// flipped or shifted picture shows.
inline std::vector<uint8_t> PatternPixel(int x, int y) {
    return {static_cast<uint8_t>(x * 16), static_cast<uint8_t>(y * 16),
            static_cast<uint8_t>(200 - x - y), 255};
}

// The pattern's rows from the top, or from the bottom.
inline std::vector<uint8_t> PatternRows(int width, int height, bool fromTop) {
    std::vector<uint8_t> rows;
    for (int j = 0; j < height; ++j) {
        const int y = fromTop ? j : height - 1 - j;
        for (int x = 0; x < width; ++x) {
            const auto px = PatternPixel(x, y);
            rows.insert(rows.end(), px.begin(), px.end());
        }
    }
    return rows;
}

inline Picture SolidPicture(int width, int height, uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
    Picture p;
    p.width = width;
    p.height = height;
    for (int i = 0; i < width * height; ++i) p.pixels.insert(p.pixels.end(), {b, g, r, a});
    return p;
}

}  // namespace datatooltest
