#include "platform/GLImage.h"

#include "platform/GLState.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

namespace {

// The packers alternate between rows and columns; real pictures need two
// levels, so a deeper chain means the layout parameters are broken.
constexpr int kMaxPackDepth = 16;

constexpr uint32_t kCompressedDXT1 = 0x83F0;
constexpr uint32_t kCompressedDXT3 = 0x83F2;
constexpr uint32_t kCompressedDXT5 = 0x83F3;

int64_t PowerOfTwoAtLeast(int64_t value) {
    int64_t p = 1;
    while (p < value) p <<= 1;
    return p;
}

int32_t HalfOf(int32_t value) { return static_cast<int32_t>(static_cast<float>(value) * 0.5f); }

bool Upload(GlApi& gl, int32_t format, Point2i texture, uint32_t dataSize, const void* data) {
    const uint64_t needed = TileDataSize(format, texture);
    if (needed == 0 || needed > dataSize || needed > INT32_MAX) return false;
    switch (format) {
        case kFormatRGB:
        case kFormatRGBA:
            gl.TexImage2D(GL_TEXTURE_2D, 0, format == kFormatRGB ? GL_RGB : GL_RGBA, texture.x,
                          texture.y, 0, GL_BGRA, GL_UNSIGNED_BYTE, data);
            return true;
        case kFormatDXT1:
        case kFormatDXT3:
        case kFormatDXT5: {
            const uint32_t internal = format == kFormatDXT1   ? kCompressedDXT1
                                      : format == kFormatDXT3 ? kCompressedDXT3
                                                              : kCompressedDXT5;
            gl.CompressedTexImage2D(GL_TEXTURE_2D, 0, internal, texture.x, texture.y, 0,
                                    static_cast<int32_t>(needed), data);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace

uint64_t TileDataSize(int32_t format, Point2i texture) {
    if (texture.x <= 0 || texture.y <= 0) return 0;
    const uint64_t w = static_cast<uint64_t>(texture.x), h = static_cast<uint64_t>(texture.y);
    const uint64_t blocks = ((w + 3) / 4) * ((h + 3) / 4);
    switch (format) {
        case kFormatRGB:
        case kFormatRGBA: return w * h * 4;
        case kFormatDXT1: return blocks * 8;
        case kFormatDXT3:
        case kFormatDXT5: return blocks * 16;
        default: return 0;
    }
}

Point2i TileOffset(Point2i pixel, Point2i imageSize) {
    return Point2i::Subtract(pixel, {HalfOf(imageSize.x), HalfOf(imageSize.y)});
}

GLImage::~GLImage() { Clear(); }

void GLImage::Clear() {
    format = kFormatNone;
    tiles_.Clear();
    vertices_ = {};
    indices_ = {};
    mask_ = {};
    maskStride_ = 0;
}

void GLImage::MarkLoadFailed() {
    Clear();
    size = {0, 0};
}

GLSubImage* GLImage::AddSubImage(const void* data, uint32_t dataSize, int32_t tileFormat,
                                 Point2i textureSize, Point2i offset, Point2i contentSize,
                                 int32_t tileBorder) {
    if (tiles_.size() >= kMaxTiles) return nullptr;
    halvo::AutoRef<GLSubImage> tile(new GLSubImage(offset, textureSize, contentSize, tileFormat));
    GlApi& gl = GLState::Gl();
    tile->texture = gl.GenTexture();
    // Always bind a fresh name: a stale mirror entry that happens to hold it
    // would otherwise send the upload to whatever texture is really bound.
    gl.BindTexture(GL_TEXTURE_2D, tile->texture);
    GLState::Mirror().boundTexture = tile->texture;
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    if (!Upload(gl, tileFormat, textureSize, dataSize, data)) return nullptr;
    AppendQuad(offset, contentSize, textureSize, tileBorder);
    tiles_.push_back(tile);
    return tile.Get();
}

void GLImage::AppendQuad(Point2i offset, Point2i content, Point2i texture, int32_t tileBorder) {
    const float x0 = static_cast<float>(offset.x), y0 = static_cast<float>(offset.y);
    const float w = static_cast<float>(content.x), h = static_cast<float>(content.y);
    const float tw = static_cast<float>(texture.x), th = static_cast<float>(texture.y);
    const float b = static_cast<float>(tileBorder);
    const auto first = static_cast<uint16_t>(vertices_.size());
    vertices_.push_back({x0, y0, 0, b / tw, b / th});
    vertices_.push_back({x0 + w, y0, 0, (w + b) / tw, b / th});
    vertices_.push_back({x0 + w, y0 + h, 0, (w + b) / tw, (h + b) / th});
    vertices_.push_back({x0, y0 + h, 0, b / tw, (h + b) / th});
    for (int step : {0, 1, 2, 0, 2, 3}) indices_.push_back(static_cast<uint16_t>(first + step));
}

bool GLImage::CreateFromPixels(const uint8_t* pixels, Point2i pixelSize) {
    Clear();
    size = pixelSize;
    format = kFormatRGBA;
    if (pixelSize.x <= 0 || pixelSize.y <= 0) return true;
    const int64_t framed = std::max<int64_t>(pixelSize.x, pixelSize.y) + 2 * int64_t{border};
    minTextureSize = static_cast<int32_t>(std::min<int64_t>(minTextureSize, PowerOfTwoAtLeast(framed)));
    const bool packed = PackHorizontal(pixels, {{0, 0}, pixelSize}, 0);
    tileScratch_ = {};
    if (packed) return true;
    Clear();
    return false;
}

GLImage::TileLayout GLImage::LayoutFor(Point2i extent) const {
    const int64_t step = int64_t{minTextureSize} - 2 * int64_t{border};
    if (step <= 0) return {};
    auto fit = [&](int32_t v) { return PowerOfTwoAtLeast(v / step * step); };
    const int64_t side = std::max<int64_t>(
        std::min({fit(extent.x), fit(extent.y), int64_t{maxTextureSize}}), minTextureSize);
    const int64_t content = (side - 2 * int64_t{border}) / step * step;
    if (content <= 0 || side > INT32_MAX) return {};
    return {static_cast<int32_t>(side), static_cast<int32_t>(content)};
}

bool GLImage::PackHorizontal(const uint8_t* pixels, Region region, int depth) {
    return PackStrip(pixels, region, true, depth);
}

bool GLImage::PackVertical(const uint8_t* pixels, Region region, int depth) {
    return PackStrip(pixels, region, false, depth);
}

// Cuts the region into strips across `horizontal` (columns) or down (rows).
// The strip at the far end is made first and the one at the origin last, so
// the tile order is that of cutting the far remainder off before the strip
// at hand. Iterative, so a long thin picture cannot exhaust the stack.
bool GLImage::PackStrip(const uint8_t* pixels, Region region, bool horizontal, int depth) {
    if (depth > kMaxPackDepth) return false;
    struct Strip {
        Region rest;
        TileLayout layout;
    };
    std::vector<Strip> strips;
    for (Region rest = region;;) {
        const TileLayout layout = LayoutFor(rest.extent);
        if (layout.content <= 0 || strips.size() >= kMaxTiles) return false;
        strips.push_back({rest, layout});
        int32_t& start = horizontal ? rest.origin.x : rest.origin.y;
        int32_t& along = horizontal ? rest.extent.x : rest.extent.y;
        if (layout.content >= along) break;
        start += layout.content;
        along -= layout.content;
    }
    for (auto it = strips.rbegin(); it != strips.rend(); ++it) {
        const int32_t c = it->layout.content;
        Point2i strip = it->rest.extent;
        int32_t& along = horizontal ? strip.x : strip.y;
        along = std::min(along, c);
        const int32_t across = horizontal ? strip.y : strip.x;
        const bool ok = across <= c
                            ? MakeTile(pixels, it->rest.origin, strip, it->layout.side)
                            : PackStrip(pixels, {it->rest.origin, strip}, !horizontal, depth + 1);
        if (!ok) return false;
    }
    return true;
}

bool GLImage::MakeTile(const uint8_t* pixels, Point2i origin, Point2i content, int32_t side) {
    CopyTileWithBorder(tileScratch_, pixels, size, origin, border, side);
    return AddSubImage(tileScratch_.data(), static_cast<uint32_t>(tileScratch_.size()),
                       kFormatRGBA, {side, side}, TileOffset(origin, size), content, border) !=
           nullptr;
}

void CopyTileWithBorder(std::vector<uint8_t>& out, const uint8_t* pixels, Point2i imageSize,
                        Point2i origin, int32_t border, int32_t side) {
    const size_t n = static_cast<size_t>(side);
    out.resize(n * n * 4);
    for (int32_t j = 0; j < side; ++j) {
        const int64_t row = std::clamp<int64_t>(int64_t{origin.y} - border + j, 0, imageSize.y - 1);
        const uint8_t* source = pixels + static_cast<size_t>(row) * imageSize.x * 4;
        uint8_t* target = out.data() + static_cast<size_t>(j) * n * 4;
        for (int32_t i = 0; i < side; ++i) {
            const int64_t column =
                std::clamp<int64_t>(int64_t{origin.x} - border + i, 0, imageSize.x - 1);
            std::memcpy(target + i * 4, source + column * 4, 4);
        }
    }
}

void GLImage::UpdateMatrix() {
    if (!matrixDirty) return;
    const Vec2 pivot{(anchor.x - 0.5f) * static_cast<float>(size.x),
                     (anchor.y - 0.5f) * static_cast<float>(size.y)};
    const bool shifted = !(pivot == Vec2{0, 0});
    const bool scaled = !(scale == Vec2{1, 1});
    const bool rotated = rotation.IsNotIdentity();
    const bool moved = !(position == Vec2{0, 0});
    model_ = Matrix4::Identity();
    matrixDirty = false;
    matrixIdentity_ = !(shifted || scaled || rotated || moved);
    if (matrixIdentity_) return;
    if (shifted) model_.m[12] = -pivot.x, model_.m[13] = -pivot.y;
    if (scaled) {
        for (int row = 0; row < 4; ++row) {
            model_.m[4 * row] *= scale.x;
            model_.m[4 * row + 1] *= scale.y;
        }
    }
    if (rotated) Matrix4::MultiplyRotation(model_, rotation);
    if (moved) model_.m[12] += position.x, model_.m[13] += position.y;
}

void GLImage::Draw(const Matrix4& parent) {
    if (tiles_.empty() || vertices_.empty() || indices_.empty()) return;
    UpdateMatrix();
    GLState::SetModelview(matrixIdentity_ ? parent : Matrix4::Multiply(model_, parent));
    GLState::SetVertexArrays(GLState::kTexCoords, sizeof(ImageVertex), vertices_.data());
    for (size_t i = 0; i < tiles_.size(); ++i) {
        GLState::BindTexture(tiles_[i]->texture);
        GLState::Gl().DrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_SHORT, indices_.data() + 6 * i);
    }
}
