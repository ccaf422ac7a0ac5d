#pragma once
// Small value types shared by screens, widgets, scenes and mini-games.
// Single precision throughout; conversions to integers truncate toward zero.

#include <cstdint>

struct Vec2 {
    float x = 0, y = 0;

    static Vec2 Add(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
    static Vec2 Subtract(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
    static Vec2 Negate(Vec2 v) { return {-v.x, -v.y}; }
    static Vec2 Scale(Vec2 v, float s) { return {v.x * s, v.y * s}; }
    static Vec2 DivideBy(Vec2 v, float s);
    static Vec2 Mul(Vec2 a, Vec2 b) { return {a.x * b.x, a.y * b.y}; }
    static Vec2 Div(Vec2 a, Vec2 b) { return {a.x / b.x, a.y / b.y}; }
    static Vec2 Min(Vec2 a, Vec2 b) { return {a.x < b.x ? a.x : b.x, a.y < b.y ? a.y : b.y}; }
    static Vec2 Max(Vec2 a, Vec2 b) { return {a.x > b.x ? a.x : b.x, a.y > b.y ? a.y : b.y}; }

    Vec2 operator+(Vec2 o) const { return Add(*this, o); }
    Vec2 operator-(Vec2 o) const { return Subtract(*this, o); }
    Vec2 operator-() const { return Negate(*this); }
    Vec2 operator*(float s) const { return Scale(*this, s); }
    bool operator==(const Vec2&) const = default;
};

struct Point2i {
    int32_t x = 0, y = 0;

    static Point2i Add(Point2i a, Point2i b);
    static Point2i Subtract(Point2i a, Point2i b);
    static Point2i Multiply(Point2i a, Point2i b);
    // Truncating division per component; a zero divisor gives 0 in that
    // component and INT_MIN / -1 stays INT_MIN instead of trapping.
    static Point2i Divide(Point2i a, Point2i b);
    // Each component times the float 1/n; n = 0 gives (0, 0).
    static Point2i DivideByInt(Point2i p, int32_t n);
    static Point2i Rotate(Point2i p, float radians);

    bool operator==(const Point2i&) const = default;
};

struct Vec3 {
    float x = 0, y = 0, z = 0;
    static Vec3 Negate(Vec3 v) { return {-v.x, -v.y, -v.z}; }
    bool operator==(const Vec3&) const = default;
};

// Float to int, truncating toward zero, defined for every input: NaN gives 0
// and values outside the int range saturate.
int32_t TruncateToInt(float value);

// An angle in degrees brought into [0, 360).
float WrapDegrees(float degrees);

struct Matrix4;

struct Quaternion {
    float x = 0, y = 0, z = 0, w = 1;

    void Normalize();
    bool IsNotIdentity() const;
    static Quaternion FromMatrix(const Matrix4& m);
    static Matrix4 ToMatrix(const Quaternion& q);
    // The rotation by an angle about the screen normal.
    static Quaternion FromAngleZ(float radians);
};

// Four rows of four; the translation sits in m[12..14] (the memory order that
// OpenGL loads).
struct Matrix4 {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    static Matrix4 Identity() { return Matrix4{}; }
    static Matrix4 Multiply(const Matrix4& a, const Matrix4& b);
    // Writes q's rotation into the upper 3x3 and keeps the translation.
    static void FromQuaternion(Matrix4& out, const Quaternion& q);
    static void RotateZ(Matrix4& m, float radians);
    static void MultiplyRotation(Matrix4& m, const Quaternion& q);
    static Matrix4 Ortho(float width, float height, float nearZ, float farZ);
    // Bitwise: -0.0 and 0.0 differ, so a cached matrix is reloaded whenever
    // any bit would change what OpenGL receives.
    static bool Equals(const Matrix4& a, const Matrix4& b);

    bool IsIdentity() const { return Equals(*this, Identity()); }
};
