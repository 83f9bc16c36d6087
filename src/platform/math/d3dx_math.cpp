// D3DX-convention math: the formulas D3DX documents, written for row vectors.
#include "platform/math/d3dx_math.h"

#include <algorithm>
#if defined(__SSE__)
#include <xmmintrin.h>
#endif

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& b) const {
    D3DXMATRIX r;
#if defined(__SSE__)
    // Every effect builds its world matrix from products each frame. Four lanes at a time, but each
    // lane still multiplies and adds in the scalar order below, so the results are bit-identical.
    const __m128 b0 = _mm_loadu_ps(b.m[0]), b1 = _mm_loadu_ps(b.m[1]);
    const __m128 b2 = _mm_loadu_ps(b.m[2]), b3 = _mm_loadu_ps(b.m[3]);
    for (int i = 0; i < 4; ++i) {
        __m128 row = _mm_mul_ps(_mm_set1_ps(m[i][0]), b0);
        row = _mm_add_ps(row, _mm_mul_ps(_mm_set1_ps(m[i][1]), b1));
        row = _mm_add_ps(row, _mm_mul_ps(_mm_set1_ps(m[i][2]), b2));
        row = _mm_add_ps(row, _mm_mul_ps(_mm_set1_ps(m[i][3]), b3));
        _mm_storeu_ps(r.m[i], row);
    }
#else
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = m[i][0] * b.m[0][j] + m[i][1] * b.m[1][j] + m[i][2] * b.m[2][j] + m[i][3] * b.m[3][j];
#endif
    return r;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& b) const {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (m[i][j] != b.m[i][j]) return false;
    return true;
}

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
    *out = {a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x};
    return out;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
    float len = D3DXVec3Length(v);
    if (len == 0.0f) {
        *out = {0, 0, 0};
    } else {
        *out = {v->x / len, v->y / len, v->z / len};
    }
    return out;
}

D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b, float s) {
    *out = {a->x + s * (b->x - a->x), a->y + s * (b->y - a->y), a->z + s * (b->z - a->z)};
    return out;
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    float x = v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + m->_41;
    float y = v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + m->_42;
    float z = v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + m->_43;
    float w = v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + m->_44;
    if (w != 1.0f && w != 0.0f) {
        float inv = 1.0f / w;
        x *= inv, y *= inv, z *= inv;
    }
    *out = {x, y, z};
    return out;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    *out = {v->x * m->_11 + v->y * m->_21 + v->z * m->_31, v->x * m->_12 + v->y * m->_22 + v->z * m->_32,
            v->x * m->_13 + v->y * m->_23 + v->z * m->_33};
    return out;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
    *out = {
        v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + m->_41, v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + m->_42,
        v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + m->_43, v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + m->_44};
    return out;
}

D3DXVECTOR3* D3DXVec3CatmullRom(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b, const D3DXVECTOR3* c,
                                const D3DXVECTOR3* d, float s) {
    float s2 = s * s, s3 = s2 * s;
    auto axis = [&](float pa, float pb, float pc, float pd) {
        return 0.5f * (2.0f * pb + (pc - pa) * s + (2.0f * pa - 5.0f * pb + 4.0f * pc - pd) * s2 +
                       (-pa + 3.0f * pb - 3.0f * pc + pd) * s3);
    };
    *out = {axis(a->x, b->x, c->x, d->x), axis(a->y, b->y, c->y, d->y), axis(a->z, b->z, c->z, d->z)};
    return out;
}

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
    *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

bool D3DXMatrixIsIdentity(const D3DXMATRIX* m) { return *m == MatrixIdentity(); }

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    *out = *a * *b;
    return out;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m) {
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = m->m[j][i];
    *out = r;
    return out;
}

namespace {
// Cofactor expansion; also yields the adjugate for the inverse.
float Adjugate(const D3DXMATRIX& a, D3DXMATRIX& inv) {
    const float* m = a.data();
    float* o = inv.data();
    o[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
           m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    o[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
           m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    o[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
           m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    o[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
            m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    o[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
           m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    o[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
           m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    o[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
           m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    o[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
            m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    o[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] + m[13] * m[2] * m[7] -
           m[13] * m[3] * m[6];
    o[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
           m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    o[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
            m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    o[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
            m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    o[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] - m[9] * m[2] * m[7] +
           m[9] * m[3] * m[6];
    o[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] + m[8] * m[2] * m[7] -
           m[8] * m[3] * m[6];
    o[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] - m[8] * m[1] * m[7] +
            m[8] * m[3] * m[5];
    o[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] + m[8] * m[1] * m[6] -
            m[8] * m[2] * m[5];
    return m[0] * o[0] + m[1] * o[4] + m[2] * o[8] + m[3] * o[12];
}
} // namespace

float D3DXMatrixDeterminant(const D3DXMATRIX* m) {
    D3DXMATRIX adj;
    return Adjugate(*m, adj);
}

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m) {
    D3DXMATRIX adj;
    float det = Adjugate(*m, adj);
    if (determinant) *determinant = det;
    if (det == 0.0f) return nullptr;
    float inv = 1.0f / det;
    for (float& v : adj.m[0]) v *= inv;
    for (float& v : adj.m[1]) v *= inv;
    for (float& v : adj.m[2]) v *= inv;
    for (float& v : adj.m[3]) v *= inv;
    *out = adj;
    return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
    D3DXMatrixIdentity(out);
    out->_41 = x, out->_42 = y, out->_43 = z;
    return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float x, float y, float z) {
    D3DXMatrixIdentity(out);
    out->_11 = x, out->_22 = y, out->_33 = z;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    D3DXMatrixIdentity(out);
    out->_22 = c, out->_23 = s, out->_32 = -s, out->_33 = c;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    D3DXMatrixIdentity(out);
    out->_11 = c, out->_13 = -s, out->_31 = s, out->_33 = c;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    D3DXMatrixIdentity(out);
    out->_11 = c, out->_12 = s, out->_21 = -s, out->_22 = c;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle) {
    D3DXVECTOR3 v;
    D3DXVec3Normalize(&v, axis);
    float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    D3DXMatrixIdentity(out);
    out->_11 = t * v.x * v.x + c, out->_12 = t * v.x * v.y + s * v.z, out->_13 = t * v.x * v.z - s * v.y;
    out->_21 = t * v.x * v.y - s * v.z, out->_22 = t * v.y * v.y + c, out->_23 = t * v.y * v.z + s * v.x;
    out->_31 = t * v.x * v.z + s * v.y, out->_32 = t * v.y * v.z - s * v.x, out->_33 = t * v.z * v.z + c;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q) {
    float x = q->x, y = q->y, z = q->z, w = q->w;
    D3DXMatrixIdentity(out);
    out->_11 = 1 - 2 * (y * y + z * z), out->_12 = 2 * (x * y + z * w), out->_13 = 2 * (x * z - y * w);
    out->_21 = 2 * (x * y - z * w), out->_22 = 1 - 2 * (x * x + z * z), out->_23 = 2 * (y * z + x * w);
    out->_31 = 2 * (x * z + y * w), out->_32 = 2 * (y * z - x * w), out->_33 = 1 - 2 * (x * x + y * y);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch, float roll) {
    *out = MatrixRotationZ(roll) * MatrixRotationX(pitch) * MatrixRotationY(yaw);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn, float zf) {
    float ys = 1.0f / std::tan(fovy * 0.5f);
    float xs = ys / aspect;
    *out = D3DXMATRIX(xs, 0, 0, 0, 0, ys, 0, 0, 0, 0, zf / (zf - zn), 1, 0, 0, -zn * zf / (zf - zn), 0);
    return out;
}

D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* out, float l, float r, float b, float t, float zn, float zf) {
    *out = D3DXMATRIX(2 / (r - l), 0, 0, 0, 0, 2 / (t - b), 0, 0, 0, 0, 1 / (zf - zn), 0, (l + r) / (l - r),
                      (t + b) / (b - t), zn / (zn - zf), 1);
    return out;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at, const D3DXVECTOR3* up) {
    D3DXVECTOR3 z = *at - *eye, x, y;
    D3DXVec3Normalize(&z, &z);
    D3DXVec3Cross(&x, up, &z);
    D3DXVec3Normalize(&x, &x);
    D3DXVec3Cross(&y, &z, &x);
    *out = D3DXMATRIX(x.x, y.x, z.x, 0, x.y, y.y, z.y, 0, x.z, y.z, z.z, 0, -D3DXVec3Dot(&x, eye),
                      -D3DXVec3Dot(&y, eye), -D3DXVec3Dot(&z, eye), 1);
    return out;
}

bool D3DXMatrixDecompose(D3DXVECTOR3* scale, D3DXQUATERNION* rotation, D3DXVECTOR3* translation, const D3DXMATRIX* m) {
    D3DXVECTOR3 rows[3] = {{m->_11, m->_12, m->_13}, {m->_21, m->_22, m->_23}, {m->_31, m->_32, m->_33}};
    D3DXVECTOR3 s(D3DXVec3Length(&rows[0]), D3DXVec3Length(&rows[1]), D3DXVec3Length(&rows[2]));
    if (D3DXMatrixDeterminant(m) < 0) s.x = -s.x;
    *translation = MatrixPosition(*m);
    *scale = s;
    if (s.x == 0 || s.y == 0 || s.z == 0) return false;
    D3DXMATRIX r = MatrixIdentity();
    const float inv[3] = {1 / s.x, 1 / s.y, 1 / s.z};
    for (int i = 0; i < 3; ++i) {
        r.m[i][0] = m->m[i][0] * inv[i];
        r.m[i][1] = m->m[i][1] * inv[i];
        r.m[i][2] = m->m[i][2] * inv[i];
    }
    D3DXQuaternionRotationMatrix(rotation, &r);
    return true;
}

D3DXMATRIX MatrixIdentity() {
    D3DXMATRIX m;
    return *D3DXMatrixIdentity(&m);
}
D3DXMATRIX MatrixTranslation(float x, float y, float z) {
    D3DXMATRIX m;
    return *D3DXMatrixTranslation(&m, x, y, z);
}
D3DXMATRIX MatrixScaling(float x, float y, float z) {
    D3DXMATRIX m;
    return *D3DXMatrixScaling(&m, x, y, z);
}
D3DXMATRIX MatrixRotationX(float angle) {
    D3DXMATRIX m;
    return *D3DXMatrixRotationX(&m, angle);
}
D3DXMATRIX MatrixRotationY(float angle) {
    D3DXMATRIX m;
    return *D3DXMatrixRotationY(&m, angle);
}
D3DXMATRIX MatrixRotationZ(float angle) {
    D3DXMATRIX m;
    return *D3DXMatrixRotationZ(&m, angle);
}

D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* out) {
    *out = {0, 0, 0, 1};
    return out;
}

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q) {
    float len = std::sqrt(q->x * q->x + q->y * q->y + q->z * q->z + q->w * q->w);
    if (len == 0.0f) {
        *out = {0, 0, 0, 0};
    } else {
        *out = {q->x / len, q->y / len, q->z / len, q->w / len};
    }
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* out, const D3DXMATRIX* m) {
    float trace = m->_11 + m->_22 + m->_33;
    D3DXQUATERNION q;
    if (trace > 0.0f) {
        float s = std::sqrt(trace + 1.0f) * 2.0f;
        q = {(m->_23 - m->_32) / s, (m->_31 - m->_13) / s, (m->_12 - m->_21) / s, 0.25f * s};
    } else if (m->_11 > m->_22 && m->_11 > m->_33) {
        float s = std::sqrt(1.0f + m->_11 - m->_22 - m->_33) * 2.0f;
        q = {0.25f * s, (m->_12 + m->_21) / s, (m->_13 + m->_31) / s, (m->_23 - m->_32) / s};
    } else if (m->_22 > m->_33) {
        float s = std::sqrt(1.0f + m->_22 - m->_11 - m->_33) * 2.0f;
        q = {(m->_12 + m->_21) / s, 0.25f * s, (m->_23 + m->_32) / s, (m->_31 - m->_13) / s};
    } else {
        float s = std::sqrt(1.0f + m->_33 - m->_11 - m->_22) * 2.0f;
        q = {(m->_13 + m->_31) / s, (m->_23 + m->_32) / s, 0.25f * s, (m->_12 - m->_21) / s};
    }
    *out = q;
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis, float angle) {
    D3DXVECTOR3 v;
    D3DXVec3Normalize(&v, axis);
    float s = std::sin(angle * 0.5f);
    *out = {v.x * s, v.y * s, v.z * s, std::cos(angle * 0.5f)};
    return out;
}

// D3DX order: the result applies a first, then b (the Hamilton product b * a).
D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b) {
    const D3DXQUATERNION& p = *b;
    const D3DXQUATERNION& q = *a;
    *out = {p.w * q.x + p.x * q.w + p.y * q.z - p.z * q.y, p.w * q.y - p.x * q.z + p.y * q.w + p.z * q.x,
            p.w * q.z + p.x * q.y - p.y * q.x + p.z * q.w, p.w * q.w - p.x * q.x - p.y * q.y - p.z * q.z};
    return out;
}

D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b, float t) {
    float dot = a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
    float sign = 1.0f;
    if (dot < 0.0f) {
        dot = -dot;
        sign = -1.0f;
    }
    float wa, wb;
    if (dot > 0.9995f) {
        wa = 1.0f - t;
        wb = t;
    } else {
        float theta = std::acos(std::min(dot, 1.0f));
        float sinTheta = std::sin(theta);
        wa = std::sin((1.0f - t) * theta) / sinTheta;
        wb = std::sin(t * theta) / sinTheta;
    }
    wb *= sign;
    *out = {wa * a->x + wb * b->x, wa * a->y + wb * b->y, wa * a->z + wb * b->z, wa * a->w + wb * b->w};
    if (dot > 0.9995f) D3DXQuaternionNormalize(out, out);
    return out;
}
