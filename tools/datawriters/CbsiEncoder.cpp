#include "tools/datawriters/CbsiEncoder.h"

#include "tools/datawriters/CbsiWriter.h"
#include "tools/datawriters/S3tcEncoder.h"

#include <algorithm>
#include <cstring>

namespace {

struct FormatName {
    std::string_view name;
    CbsiFormat format;
};
constexpr FormatName kFormatNames[] = {{"auto", CbsiFormat::kAuto},
                                       {"rgb", CbsiFormat::kRgb},
                                       {"rgba", CbsiFormat::kRgba},
                                       {"dxt1", CbsiFormat::kDxt1},
                                       {"dxt5", CbsiFormat::kDxt5}};

const char* TagOf(CbsiFormat format) {
    switch (format) {
        case CbsiFormat::kRgb: return "RGB ";
        case CbsiFormat::kDxt1: return "DXT1";
        case CbsiFormat::kDxt5: return "DXT5";
        default: return "RGBA";
    }
}

int PowerOfTwoAtLeast(int value) {
    int p = 1;
    while (p < value) p <<= 1;
    return p;
}

// Texel (i, j) of the result is the picture's pixel at column
// clamp(x - border + i) and row clamp(y - border + j).
std::vector<uint8_t> TileTexels(const Picture& picture, int x, int y, int width, int height) {
    std::vector<uint8_t> texels(static_cast<size_t>(width) * height * 4);
    const int border = CbsiEncoder::kBorder;
    for (int j = 0; j < height; ++j) {
        const int row = std::clamp(y - border + j, 0, picture.height - 1);
        for (int i = 0; i < width; ++i) {
            const int column = std::clamp(x - border + i, 0, picture.width - 1);
            std::memcpy(&texels[(static_cast<size_t>(j) * width + i) * 4], picture.At(column, row), 4);
        }
    }
    return texels;
}

std::vector<uint8_t> TileData(CbsiFormat format, const std::vector<uint8_t>& texels, int width,
                              int height) {
    switch (format) {
        case CbsiFormat::kDxt1: return s3tc::EncodeDxt1(texels.data(), width, height);
        case CbsiFormat::kDxt5: return s3tc::EncodeDxt5(texels.data(), width, height);
        default: return texels;
    }
}

}  // namespace

const CbsiFormat* CbsiEncoder::FormatByName(std::string_view name) {
    for (const FormatName& entry : kFormatNames) {
        if (entry.name == name) return &entry.format;
    }
    return nullptr;
}

CbsiFormat CbsiEncoder::Resolve(CbsiFormat format, const Picture& picture) {
    if (format != CbsiFormat::kAuto) return format;
    return picture.HasTransparency() ? CbsiFormat::kDxt5 : CbsiFormat::kDxt1;
}

std::vector<CbsiEncoder::Span> CbsiEncoder::Cut(int extent) {
    std::vector<Span> spans;
    for (int start = 0; start < extent;) {
        const int left = extent - start;
        const int side = std::clamp(PowerOfTwoAtLeast(left + 2 * kBorder), kMinTextureSide,
                                    kMaxTextureSide);
        const int content = std::min(left, side - 2 * kBorder);
        spans.push_back({start, content, side});
        start += content;
    }
    return spans;
}

const char* CbsiEncoder::Encode(const Picture& picture, CbsiFormat format,
                                std::vector<uint8_t>& out) {
    out.clear();
    if (picture.width <= 0 || picture.height <= 0 || picture.width > Picture::kMaxSide ||
        picture.height > Picture::kMaxSide)
        return "picture size out of range";
    if (picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height * 4)
        return "picture pixels do not match its size";
    format = Resolve(format, picture);
    const std::vector<Span> columns = Cut(picture.width), rows = Cut(picture.height);
    CbsiWriter writer;
    writer.Header(TagOf(format), static_cast<uint32_t>(picture.width),
                  static_cast<uint32_t>(picture.height),
                  static_cast<int32_t>(columns.size() * rows.size()));
    for (const Span& row : rows) {
        for (const Span& column : columns) {
            const auto texels = TileTexels(picture, column.start, row.start, column.side, row.side);
            const CbsiTileFields fields{static_cast<uint32_t>(column.start),
                                        static_cast<uint32_t>(row.start),
                                        static_cast<uint32_t>(column.side),
                                        static_cast<uint32_t>(row.side),
                                        static_cast<uint32_t>(column.content),
                                        static_cast<uint32_t>(row.content),
                                        static_cast<uint32_t>(kBorder)};
            writer.Tile(fields, TileData(format, texels, column.side, row.side));
        }
    }
    out = std::move(writer.bytes);
    return nullptr;
}
