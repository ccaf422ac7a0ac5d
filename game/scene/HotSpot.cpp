#include "game/scene/HotSpot.h"

#include <GL/gl.h>

#include <cstdint>

#include "platform/Color.h"
#include "platform/GLState.h"

namespace {

// The bounding-box walk starts outside any scene a float can describe.
constexpr float kBoundsStart = 1e15f;
// Outline indices are 16-bit, so an outline may have this many points; the
// rest of a longer polygon is left undrawn rather than joined wrongly.
constexpr size_t kMaxOutlinePoints = 65535;

constexpr Color kOutlineColor{0, 255, 0, 255};
constexpr Color kHighlightInside{0, 255, 224, 255};
constexpr Color kHighlightOutside{0, 128, 112, 255};

float DistanceSquared(Vec2 a, Vec2 b) {
    const Vec2 d = a - b;
    return d.x * d.x + d.y * d.y;
}

}  // namespace

void HotSpot::AddPoint(Vec2 point) {
    if (!points_.empty() && (DistanceSquared(point, points_.front()) < kMinPointDistanceSquared ||
                             DistanceSquared(point, points_.back()) < kMinPointDistanceSquared))
        return;
    points_.push_back(point);
}

void HotSpot::UpdateBounds() {
    Vec2 low{kBoundsStart, kBoundsStart};
    Vec2 high{-kBoundsStart, -kBoundsStart};
    for (const Vec2& p : points_) {
        low = Vec2::Min(low, p);
        high = Vec2::Max(high, p);
    }
    halfSize_ = (high - low) * 0.5f;
    boundsCenter_ = low + halfSize_;
}

bool HotSpot::Contains(Vec2 p) const {
    bool inside = false;
    const size_t n = points_.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const Vec2 a = points_[i], b = points_[j];
        const float lhs = (p.x - a.x) * (b.y - a.y);
        const float rhs = (p.y - a.y) * (b.x - a.x);
        if (b.y > p.y && p.y >= a.y) {
            if (lhs > rhs) inside = !inside;
        } else if (b.y <= p.y && p.y < a.y) {
            if (lhs < rhs) inside = !inside;
        }
    }
    return inside;
}

Vec2 HotSpot::Center() const {
    if (points_.empty()) return {};
    Vec2 sum;
    for (const Vec2& p : points_) sum = sum + p;
    const float count = static_cast<float>(points_.size());
    return {sum.x / count, sum.y / count};
}

void HotSpot::DrawOutline() const {
    GLState::DisableBlend();
    GLState::SetColor(kOutlineColor);
    DrawLines();
}

void HotSpot::DrawHighlight(bool inside) const {
    GLState::SetBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
    GLState::SetColor(inside ? kHighlightInside : kHighlightOutside);
    DrawLines();
}

void HotSpot::DrawLines() const {
    const size_t n = points_.size() < kMaxOutlinePoints ? points_.size() : kMaxOutlinePoints;
    if (n == 0) return;
    std::vector<float> vertices;
    std::vector<uint16_t> indices;
    vertices.reserve(3 * n);
    indices.reserve(2 * n);
    for (size_t i = 0; i < n; ++i) {
        vertices.insert(vertices.end(), {points_[i].x, points_[i].y, 0.0f});
        indices.push_back(static_cast<uint16_t>(i));
        indices.push_back(static_cast<uint16_t>((i + 1) % n));
    }
    GLState::DisableTexturing();
    GLState::SetVertexArrays(0, 3 * sizeof(float), vertices.data());
    GLState::Gl().DrawElements(GL_LINES, static_cast<int32_t>(indices.size()), GL_UNSIGNED_SHORT,
                               indices.data());
    // The arrays die here: the cache must not keep pointing at them.
    GLState::SetVertexArrays(0, 0, nullptr);
}
