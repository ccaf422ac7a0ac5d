#pragma once
// An 8-bit alpha texture of equal cells in a grid, one glyph per cell. Every
// cell has an empty one-pixel gutter on its left and top, shared with its
// neighbours, so that linear filtering never mixes two cells. Cells are
// reused lowest index first; the atlas grows one side at a time, never past
// the largest texture the driver takes: there an allocation fails (the text
// misses that glyph) instead of the whole upload failing.

#include "platform/RefObj.h"

#include <cstdint>
#include <map>
#include <vector>

namespace halvo {

class GuiTextureAtlas : public RefObj {
public:
    // Pixel position of a cell's top-left and the size asked for it (never
    // more than the cell size).
    struct Cell {
        int32_t x, y, w, h;
    };

    // Cell size used for a size below 1.
    static constexpr int32_t kDefaultCellSize = 8;
    // Cells per row and per column of a new atlas.
    static constexpr int32_t kStartCells = 4;
    // Smallest side in pixels.
    static constexpr int32_t kMinSide = 4;
    // Cells made room for whenever the atlas grows.
    static constexpr int32_t kGrowthRoom = 10;
    // Largest side when the driver cannot be asked (no context): every
    // driver the game runs on takes at least this.
    static constexpr int32_t kFallbackMaxSide = 4096;

    GuiTextureAtlas() = default;
    ~GuiTextureAtlas() override;
    GuiTextureAtlas(const GuiTextureAtlas&) = delete;
    GuiTextureAtlas& operator=(const GuiTextureAtlas&) = delete;

    // Drops texture, pixels and cells and starts with room for 4 x 4 cells.
    // False, leaving no pixels, when not even one cell fits in the largest
    // texture or the memory cannot be had.
    bool Init(int32_t cellWidth, int32_t cellHeight);
    // Reserves the lowest free cell and zeroes it; w and h are clamped to the
    // cell size. -1 without pixels or when the atlas cannot grow any more.
    int32_t Allocate(int32_t w, int32_t h);
    // Null for an index not in use.
    const Cell* Lookup(int32_t cell) const;
    // The cell's pixels stay until it is reused.
    void Free(int32_t cell);
    // The texture, created and sent whole on first use after a change; 0
    // when there are no pixels or no context.
    uint32_t Upload();

    // The largest side the driver takes, as a power of two.
    static int32_t MaxSide();

    int32_t GetWidth() const { return width_; }
    int32_t GetHeight() const { return height_; }
    int32_t GetCellWidth() const { return cellWidth_; }
    int32_t GetCellHeight() const { return cellHeight_; }
    int32_t GetColumns() const { return columns_; }
    int32_t GetRows() const { return rows_; }
    size_t GetCellCount() const { return cells_.size(); }
    bool HasPixels() const { return !pixels_.empty(); }
    uint8_t* PixelsAt(int32_t x, int32_t y) { return pixels_.data() + RowStart(y) + x; }
    // Writes one pixel at (x, y) inside the cell; points outside it are dropped.
    void SetCellPixel(const Cell& cell, int64_t x, int64_t y, uint8_t value) {
        if (x >= 0 && x < cell.w && y >= 0 && y < cell.h)
            *PixelsAt(cell.x + static_cast<int32_t>(x), cell.y + static_cast<int32_t>(y)) = value;
    }
    const uint8_t* PixelsAt(int32_t x, int32_t y) const { return pixels_.data() + RowStart(y) + x; }

private:
    size_t RowStart(int32_t y) const { return static_cast<size_t>(y) * static_cast<size_t>(width_); }
    int64_t CellCapacity() const { return static_cast<int64_t>(columns_) * rows_; }
    int32_t LowestFreeIndex() const;
    Cell Place(int32_t index, int32_t columns) const;
    bool Grow(int32_t more);
    void DropTexture();

    uint32_t texture_ = 0;
    std::vector<uint8_t> pixels_;
    std::map<int32_t, Cell> cells_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t cellWidth_ = 0;
    int32_t cellHeight_ = 0;
    int32_t columns_ = 0;
    int32_t rows_ = 0;
};

}  // namespace halvo
