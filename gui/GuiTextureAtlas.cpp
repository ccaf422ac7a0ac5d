#include "gui/GuiTextureAtlas.h"

#include "platform/GLState.h"
#include "platform/Log.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace halvo {

namespace {

// The smallest power of two from kMinSide that holds `count` cells of
// `cell` pixels and their gutters, but never above `maxSide`.
int32_t SideFor(int64_t count, int64_t cell, int32_t maxSide) {
    const int64_t needed = count * (cell + 1) + 1;
    int64_t side = GuiTextureAtlas::kMinSide;
    while (side < needed && side < maxSide) side *= 2;
    return static_cast<int32_t>(std::min<int64_t>(side, maxSide));
}

int32_t CellsAlong(int32_t side, int32_t cell) {
    return static_cast<int32_t>(side / (static_cast<int64_t>(cell) + 1));
}

// Zeroed pixels, or none when the memory cannot be had.
bool MakePixels(std::vector<uint8_t>& pixels, int32_t width, int32_t height) {
    try {
        pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        return true;
    } catch (const std::bad_alloc&) {
        LogMessage("GuiTextureAtlas - no memory for a %d x %d atlas", width, height);
        pixels = {};
        return false;
    }
}

}  // namespace

GuiTextureAtlas::~GuiTextureAtlas() { DropTexture(); }

int32_t GuiTextureAtlas::MaxSide() {
    int32_t driver = GLState::Gl().MaxTextureSize();
    if (driver <= 0) driver = kFallbackMaxSide;
    int32_t side = kMinSide;
    while (side <= driver / 2) side *= 2;
    return side;
}

bool GuiTextureAtlas::Init(int32_t cellWidth, int32_t cellHeight) {
    DropTexture();
    pixels_ = {};
    cells_.clear();
    cellWidth_ = cellWidth < 1 ? kDefaultCellSize : cellWidth;
    cellHeight_ = cellHeight < 1 ? kDefaultCellSize : cellHeight;
    const int32_t maxSide = MaxSide();
    width_ = SideFor(kStartCells, cellWidth_, maxSide);
    height_ = SideFor(kStartCells, cellHeight_, maxSide);
    columns_ = CellsAlong(width_, cellWidth_);
    rows_ = CellsAlong(height_, cellHeight_);
    if (columns_ < 1 || rows_ < 1) {
        LogMessage("GuiTextureAtlas::Init - cells of %d x %d pixels exceed the largest texture", cellWidth_,
                   cellHeight_);
        columns_ = rows_ = 0;
        return false;
    }
    return MakePixels(pixels_, width_, height_);
}

int32_t GuiTextureAtlas::LowestFreeIndex() const {
    int32_t expected = 0;
    for (const auto& [index, cell] : cells_) {
        if (index != expected) break;
        ++expected;
    }
    return expected;
}

GuiTextureAtlas::Cell GuiTextureAtlas::Place(int32_t index, int32_t columns) const {
    const int32_t column = index % columns;
    const int32_t row = index / columns;
    return {column * (cellWidth_ + 1) + 1, row * (cellHeight_ + 1) + 1, cellWidth_, cellHeight_};
}

int32_t GuiTextureAtlas::Allocate(int32_t w, int32_t h) {
    if (pixels_.empty()) return -1;
    const int32_t index = LowestFreeIndex();
    if (index >= CellCapacity() && !Grow(kGrowthRoom)) return -1;
    Cell cell = Place(index, columns_);
    cell.w = std::clamp(w, 0, cellWidth_);
    cell.h = std::clamp(h, 0, cellHeight_);
    cells_[index] = cell;
    for (int32_t row = 0; row < cellHeight_; ++row) std::memset(PixelsAt(cell.x, cell.y + row), 0, cellWidth_);
    DropTexture();
    return index;
}

bool GuiTextureAtlas::Grow(int32_t more) {
    const int32_t maxSide = MaxSide();
    const int64_t wanted = static_cast<int64_t>(cells_.size()) + more;
    int32_t width = width_, height = height_;
    int64_t capacity = CellCapacity();
    while (capacity < wanted) {
        const bool heightFirst = height < width;
        if (heightFirst && height < maxSide) height *= 2;
        else if (width < maxSide) width *= 2;
        else if (height < maxSide) height *= 2;
        else break;  // both sides at the driver's limit
        capacity = static_cast<int64_t>(CellsAlong(width, cellWidth_)) * CellsAlong(height, cellHeight_);
    }
    if (capacity <= static_cast<int64_t>(cells_.size())) return false;
    std::vector<uint8_t> grown;
    if (!MakePixels(grown, width, height)) return false;
    DropTexture();
    const int32_t columns = CellsAlong(width, cellWidth_);
    for (auto& [index, cell] : cells_) {
        Cell moved = Place(index, columns);
        moved.w = cell.w;
        moved.h = cell.h;
        for (int32_t row = 0; row < cell.h; ++row) {
            const size_t from = RowStart(cell.y + row) + cell.x;
            const size_t to = (static_cast<size_t>(moved.y) + row) * static_cast<size_t>(width) + moved.x;
            std::memcpy(grown.data() + to, pixels_.data() + from, cell.w);
        }
        cell = moved;
    }
    pixels_ = std::move(grown);
    width_ = width;
    height_ = height;
    columns_ = columns;
    rows_ = CellsAlong(height, cellHeight_);
    return true;
}

const GuiTextureAtlas::Cell* GuiTextureAtlas::Lookup(int32_t cell) const {
    auto it = cells_.find(cell);
    return it == cells_.end() ? nullptr : &it->second;
}

void GuiTextureAtlas::Free(int32_t cell) { cells_.erase(cell); }

uint32_t GuiTextureAtlas::Upload() {
    if (texture_ || pixels_.empty()) return texture_;
    GlApi& gl = GLState::Gl();
    texture_ = gl.GenTexture();
    if (!texture_) return 0;
    // Bound without switching texturing on: drawing does that when it binds.
    GLStateMirror& mirror = GLState::Mirror();
    if (mirror.boundTexture != texture_) {
        gl.BindTexture(GL_TEXTURE_2D, texture_);
        mirror.boundTexture = texture_;
    }
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, width_, height_, 0, GL_ALPHA, GL_UNSIGNED_BYTE, pixels_.data());
    return texture_;
}

void GuiTextureAtlas::DropTexture() {
    if (!texture_) return;
    GLState::DeleteTexture(texture_);
    texture_ = 0;
}

}  // namespace halvo
