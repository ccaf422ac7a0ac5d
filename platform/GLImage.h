#pragma once
// A picture of any size held as square power-of-two textures (tiles), one
// quad each, placed by its own anchor, scale, rotation and position.

#include "platform/ByteSource.h"
#include "platform/GLSubImage.h"
#include "platform/Math.h"
#include "platform/RefObj.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Image format codes, shared by the ".cbi" container and the tiles.
enum ImageFormat : int32_t {
    kFormatNone = 0,
    kFormatRGB = 1,
    kFormatRGBA = 2,
    kFormatDXT1 = 3,
    kFormatDXT3 = 4,
    kFormatDXT5 = 5,
    kFormatPVR2 = 6,
    kFormatPVR4 = 7,
};

struct ImageVertex {
    float x, y, z, u, v;
};
static_assert(sizeof(ImageVertex) == 20);

class GLImage : public halvo::RefObj {
public:
    // Tiles are drawn with 16-bit indices, four vertices each.
    static constexpr size_t kMaxTiles = 16384;
    // Longest file name Load accepts.
    static constexpr size_t kMaxNameLength = 255;

    GLImage() = default;
    ~GLImage() override;

    // Drops tiles, vertices, indices and mask; size and placement stay.
    void Clear();

    // The body of Load once the named file's bytes are in memory: clears,
    // reads the container, and on any failure leaves an empty 0x0 image.
    // Load(format, ...) formats the name (at most kMaxNameLength characters),
    // fetches the file through the file manager and calls this; a name that
    // is too long or a missing file goes to MarkLoadFailed instead.
    bool LoadFromMemory(const void* data, size_t size);
    bool Load(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Leaves the image empty with size 0x0; placement stays.
    void MarkLoadFailed();
    // Null on success, else one of the container's error texts.
    const char* ReadCBSI(ByteSource& file);
    bool ReadMask(ByteSource& file);

    // B G R A pixels, rows from the top. False only when the picture needs
    // more tiles than an image can hold (the image is then left empty).
    bool CreateFromPixels(const uint8_t* pixels, Point2i pixelSize);
    GLSubImage* AddSubImage(const void* data, uint32_t dataSize, int32_t format,
                            Point2i textureSize, Point2i offset, Point2i contentSize,
                            int32_t tileBorder);

    void UpdateMatrix();
    // Leaves the combined matrix loaded as the model-view.
    void Draw(const Matrix4& parent);

    const halvo::AutoRefVector<GLSubImage>& Tiles() const { return tiles_; }
    const std::vector<ImageVertex>& Vertices() const { return vertices_; }
    const std::vector<uint16_t>& Indices() const { return indices_; }
    // One bit per pixel, rows from the top; empty when the file had none.
    const std::vector<uint8_t>& Mask() const { return mask_; }
    int32_t MaskStride() const { return maskStride_; }
    const Matrix4& ModelMatrix() const { return model_; }
    bool IsMatrixIdentity() const { return matrixIdentity_; }

    int32_t minTextureSize = 32;
    int32_t maxTextureSize = 1024;
    int32_t border = 3;
    Point2i size;
    int32_t format = kFormatNone;
    // Placement: callers write these and then raise matrixDirty.
    Vec2 anchor{0.5f, 0.5f};
    Vec2 scale{1, 1};
    Quaternion rotation;
    Vec2 position;
    bool matrixDirty = true;

private:
    struct Region {
        Point2i origin, extent;
    };
    struct TileLayout {
        int32_t side = 0, content = 0;
    };
    TileLayout LayoutFor(Point2i extent) const;
    bool PackHorizontal(const uint8_t* pixels, Region region, int depth);
    bool PackVertical(const uint8_t* pixels, Region region, int depth);
    bool PackStrip(const uint8_t* pixels, Region region, bool horizontal, int depth);
    bool MakeTile(const uint8_t* pixels, Point2i origin, Point2i content, int32_t side);
    void AppendQuad(Point2i offset, Point2i content, Point2i texture, int32_t tileBorder);

    halvo::AutoRefVector<GLSubImage> tiles_;
    std::vector<ImageVertex> vertices_;
    std::vector<uint16_t> indices_;
    std::vector<uint8_t> mask_;
    int32_t maskStride_ = 0;
    std::vector<uint8_t> tileScratch_;
    Matrix4 model_;
    bool matrixIdentity_ = false;
};

// Texel (i, j) of the side x side result is the image pixel at column
// clamp(x - border + i) and row clamp(y - border + j): edges repeat outward.
void CopyTileWithBorder(std::vector<uint8_t>& out, const uint8_t* pixels, Point2i imageSize,
                        Point2i origin, int32_t border, int32_t side);

// Bytes one upload of a texture of this format and size reads: W x H x 4
// for the plain formats, whole 4x4 blocks for S3TC; 0 when the format
// cannot be uploaded or the size is not positive.
uint64_t TileDataSize(int32_t format, Point2i textureSize);

// The image-space offset of a tile whose content starts at pixel (x, y):
// (x, y) minus half the image size, each half truncated toward zero.
Point2i TileOffset(Point2i pixel, Point2i imageSize);
