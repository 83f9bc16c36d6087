// The math layer is the oracle for every number the game derives, so its conventions are pinned here.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/math/d3dx_math.h"

namespace {

void ExpectNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float eps = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

TEST(MathConventions, ProductAppliesLeftOperandFirst) {
    // Rotate 90 degrees about Y, then move along +X: a point on +Z lands at (1 + 1, 0, 0).
    D3DXMATRIX m = MatrixRotationY(D3DX_PI / 2) * MatrixTranslation(1, 0, 0);
    D3DXVECTOR3 p(0, 0, 1), out;
    D3DXVec3TransformCoord(&out, &p, &m);
    ExpectNear(out, {2, 0, 0});
}

TEST(MathConventions, ProductRoundsExactlyAsTheRowTimesColumnSum) {
    // Traces and replays compare positions bit for bit, so the product must keep the scalar order
    // (((a0 b0 + a1 b1) + a2 b2) + a3 b3) however it is computed; these values round differently
    // in any other order, and the signed zero survives only in this one.
    const D3DXMATRIX a(0.1f, 1e8f, -1e8f, 0.3f, -0.0f, 2.5f, 1e-7f, 7.0f, 3.3f, -1.1f, 0.7f, 1e7f, 750.0f, 50.0f,
                       -1020.0f, 1.0f);
    const D3DXMATRIX b(1e-3f, -0.0f, 0.9f, 1.0f, 1e8f, 0.0f, -3.0f, 0.5f, 1e8f, 0.0f, 0.25f, -2.0f, 0.2f, -0.0f, 1e-8f,
                       1.0f);
    const D3DXMATRIX product = a * b;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = a.m[i][0] * b.m[0][j];
            sum = sum + a.m[i][1] * b.m[1][j];
            sum = sum + a.m[i][2] * b.m[2][j];
            sum = sum + a.m[i][3] * b.m[3][j];
            EXPECT_EQ(std::signbit(product.m[i][j]), std::signbit(sum)) << i << "," << j;
            EXPECT_EQ(product.m[i][j], sum) << i << "," << j;
        }
}

TEST(MathConventions, RotationsTurnTheLeftHandedWay) {
    D3DXVECTOR3 z(0, 0, 1), x(1, 0, 0), out;
    D3DXMATRIX ry = MatrixRotationY(D3DX_PI / 2);
    D3DXVec3TransformNormal(&out, &z, &ry);
    ExpectNear(out, {1, 0, 0}); // yaw right: forward turns toward +X
    D3DXMATRIX rx = MatrixRotationX(D3DX_PI / 2);
    D3DXVec3TransformNormal(&out, &z, &rx);
    ExpectNear(out, {0, -1, 0}); // positive X rotation tips the nose down
    D3DXMATRIX rz = MatrixRotationZ(D3DX_PI / 2);
    D3DXVec3TransformNormal(&out, &x, &rz);
    ExpectNear(out, {0, 1, 0});
}

TEST(MathConventions, DirectionTransformIgnoresTranslation) {
    D3DXMATRIX t = MatrixTranslation(5, 6, 7);
    D3DXVECTOR3 v(1, 2, 3), out;
    D3DXVec3TransformNormal(&out, &v, &t);
    ExpectNear(out, v);
    D3DXVec3TransformCoord(&out, &v, &t);
    ExpectNear(out, {6, 8, 10});
}

TEST(MathConventions, GridStepForHeading270) {
    D3DXMATRIX r = MatrixRotationY(270 * kDegToRad);
    D3DXVECTOR3 step(1.5f, 0, 0.5f), out;
    D3DXVec3TransformNormal(&out, &step, &r);
    ExpectNear(out, {-0.5f, 0, 1.5f});
}

TEST(MathInverse, InverseOfAffineRoundTrips) {
    D3DXMATRIX m =
        MatrixScaling(2, 3, 4) * MatrixRotationY(0.7f) * MatrixRotationX(-0.3f) * MatrixTranslation(10, -4, 2);
    D3DXMATRIX inv;
    ASSERT_NE(D3DXMatrixInverse(&inv, nullptr, &m), nullptr);
    D3DXMATRIX id = m * inv;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(id.m[i][j], i == j ? 1.0f : 0.0f, 1e-5f);
}

TEST(MathInverse, SingularMatrixIsRefusedAndOutputUntouched) {
    D3DXMATRIX zero, out = MatrixTranslation(1, 2, 3);
    float det = 99;
    EXPECT_EQ(D3DXMatrixInverse(&out, &det, &zero), nullptr);
    EXPECT_EQ(det, 0.0f);
    EXPECT_EQ(out, MatrixTranslation(1, 2, 3));
}

TEST(MathProjection, PerspectiveFovMapsNearAndFarPlanes) {
    D3DXMATRIX p;
    D3DXMatrixPerspectiveFovLH(&p, 1.0471976f, 1280.0f / 720.0f, 0.01f, 2000.0f);
    D3DXVECTOR3 nearPt(0, 0, 0.01f), farPt(0, 0, 2000.0f), out;
    D3DXVec3TransformCoord(&out, &nearPt, &p);
    EXPECT_NEAR(out.z, 0.0f, 1e-5f);
    D3DXVec3TransformCoord(&out, &farPt, &p);
    EXPECT_NEAR(out.z, 1.0f, 1e-5f);
    EXPECT_NEAR(p._22, 1.0f / std::tan(1.0471976f / 2), 1e-5f);
}

TEST(MathVectors, CatmullRomAtHalfWithRepeatedStart) {
    // With a = b = O the point is 0.5 O + 0.5625 P - 0.0625 Q.
    D3DXVECTOR3 o(1, 2, 3), p(10, 0, -4), q(-6, 8, 20), out;
    D3DXVec3CatmullRom(&out, &o, &o, &p, &q, 0.5f);
    ExpectNear(out, o * 0.5f + p * 0.5625f - q * 0.0625f);
}

TEST(MathVectors, NormalizeZeroStaysZeroAndCrossIsLeftHandedConsistent) {
    D3DXVECTOR3 zero, out(9, 9, 9);
    D3DXVec3Normalize(&out, &zero);
    ExpectNear(out, {0, 0, 0});
    D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0);
    D3DXVec3Cross(&out, &x, &y);
    ExpectNear(out, {0, 0, 1});
}

TEST(MathQuaternion, MatrixRoundTripAndSlerpMidpoint) {
    D3DXQUATERNION q, back;
    D3DXVECTOR3 axis(0.3f, 1.0f, -0.2f);
    D3DXQuaternionRotationAxis(&q, &axis, 1.1f);
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &q);
    D3DXMATRIX ma;
    D3DXMatrixRotationAxis(&ma, &axis, 1.1f);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(m.m[i][j], ma.m[i][j], 1e-5f);
    D3DXQuaternionRotationMatrix(&back, &m);
    float dot = q.x * back.x + q.y * back.y + q.z * back.z + q.w * back.w;
    EXPECT_NEAR(std::fabs(dot), 1.0f, 1e-5f);

    D3DXQUATERNION a, b, mid;
    D3DXVECTOR3 yAxis(0, 1, 0);
    D3DXQuaternionIdentity(&a);
    D3DXQuaternionRotationAxis(&b, &yAxis, 1.0f);
    D3DXQuaternionSlerp(&mid, &a, &b, 0.5f);
    D3DXQUATERNION expect;
    D3DXQuaternionRotationAxis(&expect, &yAxis, 0.5f);
    EXPECT_NEAR(mid.y, expect.y, 1e-5f);
    EXPECT_NEAR(mid.w, expect.w, 1e-5f);
    // Slerp takes the short way even when the second rotation is stored negated.
    D3DXQUATERNION negB(-b.x, -b.y, -b.z, -b.w);
    D3DXQuaternionSlerp(&mid, &a, &negB, 0.5f);
    EXPECT_NEAR(std::fabs(mid.y), expect.y, 1e-5f);
}

TEST(MathQuaternion, MultiplyAppliesFirstArgumentFirst) {
    D3DXQUATERNION qx, qy, q;
    D3DXVECTOR3 xAxis(1, 0, 0), yAxis(0, 1, 0);
    D3DXQuaternionRotationAxis(&qx, &xAxis, 0.4f);
    D3DXQuaternionRotationAxis(&qy, &yAxis, 0.9f);
    D3DXQuaternionMultiply(&q, &qx, &qy);
    D3DXMATRIX fromQ, expect = MatrixRotationX(0.4f) * MatrixRotationY(0.9f);
    D3DXMatrixRotationQuaternion(&fromQ, &q);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(fromQ.m[i][j], expect.m[i][j], 1e-5f);
}

} // namespace
