#include "platform/Math.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace {

int32_t WrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t WrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
int32_t WrapMul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
int32_t SafeDiv(int32_t a, int32_t b) {
    if (b == 0) return 0;
    if (a == INT32_MIN && b == -1) return INT32_MIN;
    return a / b;
}

// The rotation matrix of a unit quaternion, rows 0 to 2.
void RotationRows(const Quaternion& q, float r[3][3]) {
    const float x2 = q.x * 2, y2 = q.y * 2, z2 = q.z * 2;
    r[0][0] = 1 - (q.y * y2 + q.z * z2);
    r[0][1] = q.x * y2 + q.w * z2;
    r[0][2] = q.x * z2 - q.w * y2;
    r[1][0] = q.x * y2 - q.w * z2;
    r[1][1] = 1 - (q.x * x2 + q.z * z2);
    r[1][2] = q.y * z2 + q.w * x2;
    r[2][0] = q.x * z2 + q.w * y2;
    r[2][1] = q.y * z2 - q.w * x2;
    r[2][2] = 1 - (q.x * x2 + q.y * y2);
}

}  // namespace

int32_t TruncateToInt(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return INT32_MAX;
    if (value <= -2147483648.0f) return INT32_MIN;
    return static_cast<int32_t>(value);
}

Vec2 Vec2::DivideBy(Vec2 v, float s) {
    const float r = 1.0f / s;
    return {v.x * r, v.y * r};
}

Point2i Point2i::Add(Point2i a, Point2i b) { return {WrapAdd(a.x, b.x), WrapAdd(a.y, b.y)}; }
Point2i Point2i::Subtract(Point2i a, Point2i b) { return {WrapSub(a.x, b.x), WrapSub(a.y, b.y)}; }
Point2i Point2i::Multiply(Point2i a, Point2i b) { return {WrapMul(a.x, b.x), WrapMul(a.y, b.y)}; }
Point2i Point2i::Divide(Point2i a, Point2i b) { return {SafeDiv(a.x, b.x), SafeDiv(a.y, b.y)}; }

Point2i Point2i::DivideByInt(Point2i p, int32_t n) {
    if (n == 0) return {0, 0};
    const float r = 1.0f / static_cast<float>(n);
    return {TruncateToInt(static_cast<float>(p.x) * r), TruncateToInt(static_cast<float>(p.y) * r)};
}

Point2i Point2i::Rotate(Point2i p, float radians) {
    const float c = std::cos(radians), s = std::sin(radians);
    const float x = static_cast<float>(p.x), y = static_cast<float>(p.y);
    return {TruncateToInt(x * c - y * s), TruncateToInt(x * s + y * c)};
}

float WrapDegrees(float degrees) {
    float wrapped = std::fmod(degrees, 360.0f);
    if (wrapped < 0) wrapped += 360.0f;
    // fmod of a tiny negative value plus 360 can round up to exactly 360.
    if (wrapped >= 360.0f) wrapped = 0.0f;
    return wrapped;
}

void Quaternion::Normalize() {
    const float aw = std::fabs(w);
    if (aw > 1) {
        const float len = std::sqrt(x * x + y * y + z * z + w * w);
        x /= len, y /= len, z /= len, w /= len;
        return;
    }
    const float axis = x * x + y * y + z * z;
    // A zero axis has no direction to rescale: the only unit quaternion left
    // is the identity.
    if (aw == 1 || axis == 0) {
        x = y = z = 0;
        if (aw != 1) w = 1;
        return;
    }
    const float k = std::sqrt((1 - w * w) / axis);
    x *= k, y *= k, z *= k;
}

bool Quaternion::IsNotIdentity() const { return x != 0 || y != 0 || z != 0 || w != 1; }

Quaternion Quaternion::FromAngleZ(float radians) {
    Quaternion q{0, 0, 1, std::cos(radians / 2)};
    q.Normalize();
    return q;
}

Quaternion Quaternion::FromMatrix(const Matrix4& mat) {
    auto at = [&](int row, int col) { return mat.m[row * 4 + col]; };
    Quaternion q;
    const float trace = at(0, 0) + at(1, 1) + at(2, 2);
    if (trace > 0) {
        float s = std::sqrt(trace + 1);
        q.w = s / 2;
        s = 0.5f / s;
        q.x = (at(1, 2) - at(2, 1)) * s;
        q.y = (at(2, 0) - at(0, 2)) * s;
        q.z = (at(0, 1) - at(1, 0)) * s;
        return q;
    }
    int i = 0;
    if (at(1, 1) > at(0, 0)) i = 1;
    if (at(2, 2) > at(i, i)) i = 2;
    static const int next[3] = {1, 2, 0};
    const int j = next[i], k = next[j];
    float v[3];
    float s = std::sqrt(at(i, i) - at(j, j) - at(k, k) + 1);
    v[i] = s / 2;
    s = 0.5f / s;
    q.w = (at(j, k) - at(k, j)) * s;
    v[j] = (at(i, j) + at(j, i)) * s;
    v[k] = (at(i, k) + at(k, i)) * s;
    q.x = v[0], q.y = v[1], q.z = v[2];
    return q;
}

Matrix4 Quaternion::ToMatrix(const Quaternion& q) {
    Matrix4 out;
    Matrix4::FromQuaternion(out, q);
    out.m[12] = out.m[13] = out.m[14] = 0;
    out.m[15] = 1;
    return out;
}

Matrix4 Matrix4::Multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[4 * r + k] * b.m[4 * k + c];
            out.m[4 * r + c] = sum;
        }
    return out;
}

void Matrix4::FromQuaternion(Matrix4& out, const Quaternion& q) {
    float r[3][3];
    RotationRows(q, r);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) out.m[4 * row + col] = r[row][col];
        out.m[4 * row + 3] = 0;
    }
}

void Matrix4::RotateZ(Matrix4& mat, float radians) {
    const float c = std::cos(radians), s = std::sin(radians);
    for (int r = 0; r < 4; ++r) {
        const float a = mat.m[4 * r], b = mat.m[4 * r + 1];
        mat.m[4 * r] = c * a - s * b;
        mat.m[4 * r + 1] = s * a + c * b;
    }
}

void Matrix4::MultiplyRotation(Matrix4& mat, const Quaternion& q) {
    float r[3][3];
    RotationRows(q, r);
    for (int row = 0; row < 4; ++row) {
        const float v[3] = {mat.m[4 * row], mat.m[4 * row + 1], mat.m[4 * row + 2]};
        for (int col = 0; col < 3; ++col)
            mat.m[4 * row + col] = v[0] * r[0][col] + v[1] * r[1][col] + v[2] * r[2][col];
    }
}

Matrix4 Matrix4::Ortho(float width, float height, float nearZ, float farZ) {
    Matrix4 out;
    std::memset(out.m, 0, sizeof out.m);
    out.m[0] = 2 / width;
    out.m[5] = 2 / height;
    out.m[10] = -2 / (farZ - nearZ);
    out.m[14] = -(farZ + nearZ) / (farZ - nearZ);
    out.m[15] = 1;
    return out;
}

bool Matrix4::Equals(const Matrix4& a, const Matrix4& b) {
    return std::memcmp(a.m, b.m, sizeof a.m) == 0;
}
