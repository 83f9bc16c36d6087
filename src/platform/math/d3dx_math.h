// Vectors, matrices and quaternions in the D3DX conventions the game is written against.
//
// Stands in for: the D3DX 9 math library (d3dx9math.h).
// Conventions: left-handed, row vectors multiplied on the left, so A * B applies A first and
// a point's translation sits in row 4 (_41, _42, _43). Angles in radians unless a name says
// otherwise. Function names and argument order follow D3DX so game code reads like the original
// calls: out-pointer first, result pointer returned.
// Does not: SIMD beyond the matrix product (which keeps the scalar results bit for bit), half floats,
// planes, colours other than plain structs, spherical harmonics.
#pragma once

#include <cmath>
#include <cstdint>

struct D3DXVECTOR2 {
    float x = 0, y = 0;
    constexpr D3DXVECTOR2() = default;
    constexpr D3DXVECTOR2(float x_, float y_) : x(x_), y(y_) {}
};

struct D3DXVECTOR3 {
    float x = 0, y = 0, z = 0;
    constexpr D3DXVECTOR3() = default;
    constexpr D3DXVECTOR3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    D3DXVECTOR3& operator+=(const D3DXVECTOR3& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    D3DXVECTOR3& operator-=(const D3DXVECTOR3& v) {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }
    D3DXVECTOR3& operator*=(float s) {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    D3DXVECTOR3& operator/=(float s) {
        float r = 1.0f / s;
        x *= r;
        y *= r;
        z *= r;
        return *this;
    }
    constexpr D3DXVECTOR3 operator-() const { return {-x, -y, -z}; }
    constexpr D3DXVECTOR3 operator+(const D3DXVECTOR3& v) const { return {x + v.x, y + v.y, z + v.z}; }
    constexpr D3DXVECTOR3 operator-(const D3DXVECTOR3& v) const { return {x - v.x, y - v.y, z - v.z}; }
    constexpr D3DXVECTOR3 operator*(float s) const { return {x * s, y * s, z * s}; }
    D3DXVECTOR3 operator/(float s) const {
        float r = 1.0f / s;
        return {x * r, y * r, z * r};
    }
    constexpr bool operator==(const D3DXVECTOR3& v) const { return x == v.x && y == v.y && z == v.z; }
    constexpr bool operator!=(const D3DXVECTOR3& v) const { return !(*this == v); }
};
inline constexpr D3DXVECTOR3 operator*(float s, const D3DXVECTOR3& v) { return v * s; }

struct D3DXVECTOR4 {
    float x = 0, y = 0, z = 0, w = 0;
    constexpr D3DXVECTOR4() = default;
    constexpr D3DXVECTOR4(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    constexpr bool operator==(const D3DXVECTOR4& v) const { return x == v.x && y == v.y && z == v.z && w == v.w; }
};

struct D3DXQUATERNION {
    float x = 0, y = 0, z = 0, w = 0;
    constexpr D3DXQUATERNION() = default;
    constexpr D3DXQUATERNION(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    constexpr bool operator==(const D3DXQUATERNION& q) const { return x == q.x && y == q.y && z == q.z && w == q.w; }
};

// Four floats red, green, blue, alpha: the layout of D3DCOLORVALUE and D3DXCOLOR.
struct D3DXCOLOR {
    float r = 0, g = 0, b = 0, a = 0;
    constexpr D3DXCOLOR() = default;
    constexpr D3DXCOLOR(float r_, float g_, float b_, float a_) : r(r_), g(g_), b(b_), a(a_) {}
    constexpr bool operator==(const D3DXCOLOR& c) const { return r == c.r && g == c.g && b == c.b && a == c.a; }
};
using D3DCOLORVALUE = D3DXCOLOR;

struct D3DXMATRIX {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };
    constexpr D3DXMATRIX() : m{} {}
    constexpr D3DXMATRIX(float a11, float a12, float a13, float a14, float a21, float a22, float a23, float a24,
                         float a31, float a32, float a33, float a34, float a41, float a42, float a43, float a44)
        : _11(a11), _12(a12), _13(a13), _14(a14), _21(a21), _22(a22), _23(a23), _24(a24), _31(a31), _32(a32), _33(a33),
          _34(a34), _41(a41), _42(a42), _43(a43), _44(a44) {}

    float& operator()(int row, int col) { return m[row][col]; }
    float operator()(int row, int col) const { return m[row][col]; }
    D3DXMATRIX operator*(const D3DXMATRIX& b) const;
    D3DXMATRIX& operator*=(const D3DXMATRIX& b) { return *this = *this * b; }
    bool operator==(const D3DXMATRIX& b) const;
    bool operator!=(const D3DXMATRIX& b) const { return !(*this == b); }
    const float* data() const { return &m[0][0]; }
    float* data() { return &m[0][0]; }
};

// Degree/radian factors the game uses verbatim.
inline constexpr float kDegToRad = 0.017453292f;
inline constexpr float kRadToDeg = 57.295776f;
inline constexpr float D3DX_PI = 3.141592654f;

// ---- vectors ------------------------------------------------------------------------------------
inline float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }
inline float D3DXVec3LengthSq(const D3DXVECTOR3* v) { return D3DXVec3Dot(v, v); }
inline float D3DXVec3Length(const D3DXVECTOR3* v) { return std::sqrt(D3DXVec3LengthSq(v)); }
D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b);
// A zero vector normalises to zero, as D3DX does.
D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v);
D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b, float s);
// Point transform: includes row 4 and divides by w.
D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
// Direction transform: ignores row 4.
D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m);
D3DXVECTOR3* D3DXVec3CatmullRom(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b, const D3DXVECTOR3* c,
                                const D3DXVECTOR3* d, float s);

// ---- matrices -----------------------------------------------------------------------------------
D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
bool D3DXMatrixIsIdentity(const D3DXMATRIX* m);
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);
D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m);
float D3DXMatrixDeterminant(const D3DXMATRIX* m);
// Returns nullptr (and leaves out untouched) for a singular matrix, as D3DX does.
D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m);
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z);
D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float x, float y, float z);
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle);
D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle);
D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q);
D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch, float roll);
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn, float zf);
D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* out, float l, float r, float b, float t, float zn, float zf);
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at, const D3DXVECTOR3* up);
// Splits an affine matrix into scale, rotation and translation. Returns false for a degenerate one.
bool D3DXMatrixDecompose(D3DXVECTOR3* scale, D3DXQUATERNION* rotation, D3DXVECTOR3* translation, const D3DXMATRIX* m);

// Value-returning shorthands for game code that builds matrices inline.
D3DXMATRIX MatrixIdentity();
D3DXMATRIX MatrixTranslation(float x, float y, float z);
D3DXMATRIX MatrixScaling(float x, float y, float z);
D3DXMATRIX MatrixRotationX(float angle);
D3DXMATRIX MatrixRotationY(float angle);
D3DXMATRIX MatrixRotationZ(float angle);
// The translation row of a matrix: where the thing it places stands.
inline D3DXVECTOR3 MatrixPosition(const D3DXMATRIX& m) { return {m._41, m._42, m._43}; }

// ---- quaternions --------------------------------------------------------------------------------
D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* out);
D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q);
D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* out, const D3DXMATRIX* m);
D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis, float angle);
D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b);
// Shortest-arc spherical interpolation, falling back to a normalised lerp for nearly equal rotations.
D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b, float t);
