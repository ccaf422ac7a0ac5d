#include "gui/GuiClipStack.h"

#include "platform/GLState.h"

#include <algorithm>

namespace halvo {

void GuiClipStack::Push(float x, float y, float width, float height, const Matrix4& matrix) {
    Rect rect{x, y, x + width, y + height, matrix};
    if (!rects_.empty() && Matrix4::Equals(rects_.back().matrix, matrix)) {
        const Rect& outer = rects_.back();
        rect.left = std::max(rect.left, outer.left);
        rect.top = std::max(rect.top, outer.top);
        rect.right = std::min(rect.right, outer.right);
        rect.bottom = std::min(rect.bottom, outer.bottom);
    }
    rects_.push_back(rect);
    Apply(rect);
}

void GuiClipStack::Pop() {
    if (rects_.empty()) return;
    const Matrix4 innerMatrix = rects_.back().matrix;
    rects_.pop_back();
    if (rects_.empty()) {
        GLState::ResetClipPlanes();
        return;
    }
    // Planes are fixed in the space current when they are given: under
    // another matrix, equal plane values would not be sent again.
    if (!Matrix4::Equals(innerMatrix, rects_.back().matrix)) GLState::ResetClipPlanes();
    Apply(rects_.back());
}

void GuiClipStack::Apply(const Rect& rect) {
    GLState::SetModelview(rect.matrix);
    GLState::SetClipPlane(0, 1, 0, 0, -rect.left);
    GLState::SetClipPlane(1, -1, 0, 0, rect.right);
    GLState::SetClipPlane(2, 0, 1, 0, -rect.top);
    GLState::SetClipPlane(3, 0, -1, 0, rect.bottom);
}

}  // namespace halvo
