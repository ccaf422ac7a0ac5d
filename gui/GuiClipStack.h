#pragma once
// Nested clipping of widget drawing. Each clip is the intersection of its own
// rectangle with the clip in force around it, and ending a clip restores the
// enclosing one; ending the outermost switches every clip plane off, as the
// screens expect. Clip rectangles live in the model-view space of the matrix
// they were given with; a clip under a different matrix than the enclosing
// one cannot be intersected with it and replaces it until it ends.

#include "platform/Math.h"

#include <cstddef>
#include <vector>

namespace halvo {

class GuiClipStack {
public:
    // Keeps (x, y) to (x + width, y + height); a negative size keeps nothing.
    void Push(float x, float y, float width, float height, const Matrix4& matrix);
    void Pop();
    size_t Depth() const { return rects_.size(); }

private:
    struct Rect {
        float left, top, right, bottom;
        Matrix4 matrix;
    };
    static void Apply(const Rect& rect);

    // Grows to the deepest nesting once and keeps its storage, so drawing a
    // frame allocates nothing.
    std::vector<Rect> rects_;
};

}  // namespace halvo
