// Small vector math and the mesh builder the model generators add their primitives to.
#pragma once

#include <cmath>
#include <string>
#include <vector>

struct Vec3 {
    float x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
inline float Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
inline Vec3 Normalize(Vec3 a) {
    float l = Length(a);
    return l > 0 ? a * (1.0f / l) : Vec3{0, 1, 0};
}
// Rotation about Y by `deg` degrees with the game's convention (+Z turns towards +X).
inline Vec3 RotateY(Vec3 v, float deg) {
    float r = deg * 3.14159265f / 180.0f, c = std::cos(r), s = std::sin(r);
    return {v.x * c + v.z * s, v.y, -v.x * s + v.z * c};
}
inline Vec3 RotateX(Vec3 v, float deg) {
    float r = deg * 3.14159265f / 180.0f, c = std::cos(r), s = std::sin(r);
    return {v.x, v.y * c - v.z * s, v.y * s + v.z * c};
}

struct Material {
    float r = 1, g = 1, b = 1, a = 1;
    float power = 8;
    float specular = 0.1f;
    float emissive = 0;
    std::string texture; // bare file name beside the model, or empty
};

struct Vertex {
    Vec3 pos, normal;
    float u = 0, v = 0;
    int bone = -1; // skinned models: the part's bone
};

// Triangles with per-corner normals and uvs, one material index a face. Winding is fixed so that
// (p1 - p0) x (p2 - p0) points out of the face, which makes faces clockwise seen from outside.
class MeshBuilder {
public:
    int AddMaterial(const Material& m) {
        materials.push_back(m);
        return int(materials.size()) - 1;
    }
    int AddVertex(const Vertex& v) {
        vertices.push_back(v);
        return int(vertices.size()) - 1;
    }
    // Adds a face; swaps two corners if the given outward direction disagrees with the winding.
    void AddFace(int a, int b, int c, int material, Vec3 outward);
    void AddFace(int a, int b, int c, int material); // outward taken from the corner normals

    // Flat-shaded primitives with planar uvs scaled by `uvScale` (texture repeats per unit).
    void Quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, int material, float uvScale = 0.1f, int bone = -1);
    void Tri(Vec3 a, Vec3 b, Vec3 c, int material, float uvScale = 0.1f, int bone = -1);
    void Box(Vec3 lo, Vec3 hi, int material, float uvScale = 0.1f, int bone = -1);
    // Prism along Y: `sides` sides, radii at bottom and top (0 makes a cone), optional caps.
    void Prism(Vec3 base, float height, float rBottom, float rTop, int sides, int material, float uvScale = 0.1f,
               int bone = -1, bool caps = true, float angleOffset = 0);
    // Smooth low-poly ellipsoid (rings x segments).
    void Ellipsoid(Vec3 centre, Vec3 radii, int rings, int segments, int material, int bone = -1);

    // Rotates (about X, degrees) and then moves every vertex from index `first` on.
    void TransformFrom(int first, float rotXDeg, Vec3 offset) {
        for (size_t i = size_t(first); i < vertices.size(); ++i) {
            vertices[i].pos = RotateX(vertices[i].pos, rotXDeg) + offset;
            vertices[i].normal = RotateX(vertices[i].normal, rotXDeg);
        }
    }

    std::vector<Vertex> vertices;
    std::vector<int> indices;
    std::vector<int> faceMaterials;
    std::vector<Material> materials;
};
