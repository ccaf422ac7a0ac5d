#include "platform/Math.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

void ExpectSameRotation(const Quaternion& a, const Quaternion& b) {
    // q and -q are the same rotation.
    const float sign = (a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w) < 0 ? -1.0f : 1.0f;
    EXPECT_NEAR(a.x, sign * b.x, 1e-5f);
    EXPECT_NEAR(a.y, sign * b.y, 1e-5f);
    EXPECT_NEAR(a.z, sign * b.z, 1e-5f);
    EXPECT_NEAR(a.w, sign * b.w, 1e-5f);
}

Quaternion Unit(float x, float y, float z, float w) {
    const float len = std::sqrt(x * x + y * y + z * z + w * w);
    return {x / len, y / len, z / len, w / len};
}

}  // namespace

TEST(Math, WrapDegreesLandsInZeroTo360) {
    EXPECT_FLOAT_EQ(WrapDegrees(-30), 330);
    EXPECT_FLOAT_EQ(WrapDegrees(720), 0);
    EXPECT_FLOAT_EQ(WrapDegrees(359.5f), 359.5f);
    const float tiny = WrapDegrees(-1e-6f);
    EXPECT_GE(tiny, 0);
    EXPECT_LT(tiny, 360);
}

TEST(Math, Point2iDivisionTruncatesAndNeverTraps) {
    EXPECT_EQ(Point2i::Divide({-7, 7}, {2, 2}), (Point2i{-3, 3}));
    EXPECT_EQ(Point2i::Divide({7, -7}, {-2, 2}), (Point2i{-3, -3}));
    // A zero divisor zeroes only its own component.
    EXPECT_EQ(Point2i::Divide({9, 9}, {0, 3}), (Point2i{0, 3}));
    EXPECT_EQ(Point2i::Divide({INT_MIN, 4}, {-1, -1}), (Point2i{INT_MIN, -4}));
    EXPECT_EQ(Point2i::DivideByInt({9, -9}, 0), (Point2i{0, 0}));
    EXPECT_EQ(Point2i::DivideByInt({7, -7}, 2), (Point2i{3, -3}));
}

TEST(Math, Point2iRotateTruncatesTowardZero) {
    EXPECT_EQ(Point2i::Rotate({10, 0}, 0.5f), (Point2i{8, 4}));
    EXPECT_EQ(Point2i::Rotate({-10, 0}, 0.5f), (Point2i{-8, -4}));
    EXPECT_EQ(Point2i::Rotate({3, 4}, 0), (Point2i{3, 4}));
}

TEST(Math, Vec2PerAxisOperations) {
    const Vec2 a{2, -6}, b{4, 3};
    EXPECT_EQ(Vec2::Mul(a, b), (Vec2{8, -18}));
    EXPECT_EQ(Vec2::Div(a, b), (Vec2{0.5f, -2}));
    EXPECT_EQ(Vec2::Min(a, b), (Vec2{2, -6}));
    EXPECT_EQ(Vec2::Max(a, b), (Vec2{4, 3}));
    EXPECT_EQ(Vec2::DivideBy({3, 6}, 3), (Vec2{3 * (1.0f / 3), 6 * (1.0f / 3)}));
    EXPECT_EQ(Vec3::Negate({1, -2, 0.5f}), (Vec3{-1, 2, -0.5f}));
}

TEST(Math, NormalizeEdgeCases) {
    Quaternion identity;
    identity.Normalize();
    EXPECT_FALSE(identity.IsNotIdentity());

    Quaternion big{1, 1, 1, 2};
    big.Normalize();
    const float len = std::sqrt(7.0f);
    EXPECT_FLOAT_EQ(big.x, 1 / len);
    EXPECT_FLOAT_EQ(big.w, 2 / len);

    Quaternion unitW{0.3f, 0.2f, 0.1f, -1};
    unitW.Normalize();
    EXPECT_EQ(unitW.x, 0);
    EXPECT_EQ(unitW.w, -1);

    // No axis to rescale: the identity instead of NaN.
    Quaternion noAxis{0, 0, 0, 0.5f};
    noAxis.Normalize();
    EXPECT_FALSE(noAxis.IsNotIdentity());

    Quaternion rescaled{0, 0, 2, 0.6f};
    rescaled.Normalize();
    EXPECT_NEAR(rescaled.z, 0.8f, 1e-6f);
    EXPECT_FLOAT_EQ(rescaled.w, 0.6f);
}

TEST(Math, QuaternionMatrixRoundTripsThroughEveryBranch) {
    const Quaternion cases[] = {
        Unit(0.1f, 0.2f, 0.3f, 0.9f),   // positive trace
        Unit(1, 0.1f, 0.05f, 0.01f),     // x dominates
        Unit(0.1f, 1, 0.05f, 0.01f),     // y dominates
        Unit(0.05f, 0.1f, 1, 0.01f),     // z dominates
        {1, 0, 0, 0},
        {0, 0, 1, 0},
    };
    for (const Quaternion& q : cases) {
        SCOPED_TRACE(testing::Message() << q.x << " " << q.y << " " << q.z << " " << q.w);
        ExpectSameRotation(Quaternion::FromMatrix(Quaternion::ToMatrix(q)), q);
    }
}

TEST(Math, FromQuaternionKeepsTranslationAndToMatrixClearsIt) {
    Matrix4 m;
    m.m[12] = 5, m.m[13] = -3, m.m[14] = 2;
    const Quaternion q = Quaternion::FromAngleZ(0.5f);
    Matrix4::FromQuaternion(m, q);
    EXPECT_EQ(m.m[12], 5);
    EXPECT_EQ(m.m[13], -3);
    EXPECT_EQ(m.m[14], 2);
    EXPECT_NEAR(m.m[0], std::cos(0.5f), 1e-6f);
    EXPECT_NEAR(m.m[1], std::sin(0.5f), 1e-6f);
    const Matrix4 r = Quaternion::ToMatrix(q);
    EXPECT_EQ(r.m[12], 0);
    EXPECT_EQ(r.m[15], 1);
}

TEST(Math, MultiplyByIdentityEitherWayAndRotateZ) {
    Matrix4 a;
    for (int i = 0; i < 16; ++i) a.m[i] = static_cast<float>(i * 3 - 7);
    EXPECT_TRUE(Matrix4::Equals(Matrix4::Multiply(a, Matrix4::Identity()), a));
    EXPECT_TRUE(Matrix4::Equals(Matrix4::Multiply(Matrix4::Identity(), a), a));

    Matrix4 viaRotateZ;
    Matrix4::RotateZ(viaRotateZ, 0.7f);
    Matrix4 viaQuaternion;
    Matrix4::MultiplyRotation(viaQuaternion, Quaternion::FromAngleZ(0.7f));
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(viaRotateZ.m[i], viaQuaternion.m[i], 1e-6f) << i;
}

TEST(Math, OrthoIsCentredOnTheOrigin) {
    const Matrix4 o = Matrix4::Ortho(1920, 1440, -10, 10);
    EXPECT_FLOAT_EQ(o.m[0], 2.0f / 1920);
    EXPECT_FLOAT_EQ(o.m[5], 2.0f / 1440);
    EXPECT_FLOAT_EQ(o.m[10], -0.1f);
    EXPECT_EQ(o.m[14], 0);
    EXPECT_EQ(o.m[12], 0);
    EXPECT_EQ(o.m[13], 0);
    EXPECT_EQ(o.m[15], 1);
    EXPECT_EQ(o.m[1], 0);
}

TEST(Math, EqualsIsBitwise) {
    Matrix4 a, b;
    b.m[12] = -0.0f;
    EXPECT_FALSE(Matrix4::Equals(a, b));
    b.m[12] = 0.0f;
    EXPECT_TRUE(Matrix4::Equals(a, b));
    EXPECT_TRUE(a.IsIdentity());
}
