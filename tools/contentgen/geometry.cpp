// Mesh builder primitives: quads, boxes, prisms, ellipsoids with planar or spherical uvs.
#include "geometry.h"

#include <algorithm>
#include <utility>

namespace {
constexpr float kPi = 3.14159265358979f;

// Planar projection along the dominant axis of the normal.
void PlanarUv(Vertex& v, float scale) {
    Vec3 n = v.normal;
    float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
    if (ay >= ax && ay >= az) {
        v.u = v.pos.x * scale;
        v.v = v.pos.z * scale;
    } else if (ax >= az) {
        v.u = v.pos.z * scale;
        v.v = -v.pos.y * scale;
    } else {
        v.u = v.pos.x * scale;
        v.v = -v.pos.y * scale;
    }
}
} // namespace

void MeshBuilder::AddFace(int a, int b, int c, int material, Vec3 outward) {
    Vec3 n = Cross(vertices[b].pos - vertices[a].pos, vertices[c].pos - vertices[a].pos);
    if (Dot(n, outward) < 0) std::swap(b, c);
    indices.insert(indices.end(), {a, b, c});
    faceMaterials.push_back(material);
}

void MeshBuilder::AddFace(int a, int b, int c, int material) {
    Vec3 out = vertices[a].normal + vertices[b].normal + vertices[c].normal;
    AddFace(a, b, c, material, out);
}

void MeshBuilder::Quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, int material, float uvScale, int bone) {
    Vec3 n = Normalize(Cross(b - a, c - a));
    int idx[4];
    Vec3 p[4] = {a, b, c, d};
    for (int i = 0; i < 4; ++i) {
        Vertex v{p[i], n, 0, 0, bone};
        PlanarUv(v, uvScale);
        idx[i] = AddVertex(v);
    }
    AddFace(idx[0], idx[1], idx[2], material, n);
    AddFace(idx[0], idx[2], idx[3], material, n);
}

void MeshBuilder::Tri(Vec3 a, Vec3 b, Vec3 c, int material, float uvScale, int bone) {
    Vec3 n = Normalize(Cross(b - a, c - a));
    int idx[3];
    Vec3 p[3] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        Vertex v{p[i], n, 0, 0, bone};
        PlanarUv(v, uvScale);
        idx[i] = AddVertex(v);
    }
    AddFace(idx[0], idx[1], idx[2], material, n);
}

void MeshBuilder::Box(Vec3 lo, Vec3 hi, int material, float uvScale, int bone) {
    Vec3 c[8];
    for (int i = 0; i < 8; ++i) c[i] = {i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z};
    // Each face listed so that its normal (fixed up by AddFace anyway) points outward.
    const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    Vec3 centre = (lo + hi) * 0.5f;
    for (const auto& f : faces) {
        Vec3 d = (c[f[0]] + c[f[1]] + c[f[2]] + c[f[3]]) * 0.25f - centre;
        Vec3 ext = hi - lo;
        float ex = std::fabs(d.x) / std::max(1e-6f, ext.x), ey = std::fabs(d.y) / std::max(1e-6f, ext.y),
              ez = std::fabs(d.z) / std::max(1e-6f, ext.z);
        Vec3 axis;
        if (ex >= ey && ex >= ez) axis = {d.x > 0 ? 1.f : -1.f, 0, 0};
        else if (ey >= ez) axis = {0, d.y > 0 ? 1.f : -1.f, 0};
        else axis = {0, 0, d.z > 0 ? 1.f : -1.f};
        int idx[4];
        for (int i = 0; i < 4; ++i) {
            Vertex v{c[f[i]], axis, 0, 0, bone};
            PlanarUv(v, uvScale);
            idx[i] = AddVertex(v);
        }
        AddFace(idx[0], idx[1], idx[2], material, axis);
        AddFace(idx[0], idx[2], idx[3], material, axis);
    }
}

void MeshBuilder::Prism(Vec3 base, float height, float rBottom, float rTop, int sides, int material, float uvScale,
                        int bone, bool caps, float angleOffset) {
    for (int i = 0; i < sides; ++i) {
        float a0 = angleOffset + 2 * kPi * i / sides, a1 = angleOffset + 2 * kPi * (i + 1) / sides;
        Vec3 b0 = base + Vec3{std::sin(a0) * rBottom, 0, std::cos(a0) * rBottom};
        Vec3 b1 = base + Vec3{std::sin(a1) * rBottom, 0, std::cos(a1) * rBottom};
        Vec3 t0 = base + Vec3{std::sin(a0) * rTop, height, std::cos(a0) * rTop};
        Vec3 t1 = base + Vec3{std::sin(a1) * rTop, height, std::cos(a1) * rTop};
        if (rTop <= 0) {
            Tri(b0, b1, t0, material, uvScale, bone);
        } else if (rBottom <= 0) {
            Tri(b0, t1, t0, material, uvScale, bone);
        } else {
            Quad(b0, b1, t1, t0, material, uvScale, bone);
        }
        if (caps && rBottom > 0) Tri(base, b1, b0, material, uvScale, bone);
        if (caps && rTop > 0) Tri(base + Vec3{0, height, 0}, t0, t1, material, uvScale, bone);
    }
    // Quad/Tri derive the normal from the corner order; make sure side faces point outward.
    // (They do: corners run counter-clockwise seen from above, giving outward cross products.)
}

void MeshBuilder::Ellipsoid(Vec3 centre, Vec3 radii, int rings, int segments, int material, int bone) {
    int first = int(vertices.size());
    for (int r = 0; r <= rings; ++r) {
        float phi = kPi * r / rings;
        for (int s = 0; s <= segments; ++s) {
            float theta = 2 * kPi * s / segments;
            Vec3 unit{std::sin(phi) * std::sin(theta), std::cos(phi), std::sin(phi) * std::cos(theta)};
            Vec3 p = centre + Vec3{unit.x * radii.x, unit.y * radii.y, unit.z * radii.z};
            Vec3 n = Normalize({unit.x / radii.x, unit.y / radii.y, unit.z / radii.z});
            AddVertex({p, n, float(s) / segments, float(r) / rings, bone});
        }
    }
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            int a = first + r * (segments + 1) + s, b = a + 1, c = a + segments + 1, d = c + 1;
            if (r > 0) AddFace(a, b, d, material);
            if (r < rings - 1) AddFace(a, d, c, material);
        }
}
