// The course's scenery models: ground, churches, wind towers with their sails, and the checkpoint.
#include "map_models.h"

#include <cmath>

#include "terrain.h"
#include "xfile_writer.h"

namespace {

Material Tinted(uint32_t rgb, const char* texture, float specular = 0.05f) {
    Material m;
    m.r = ((rgb >> 16) & 255) / 255.0f;
    m.g = ((rgb >> 8) & 255) / 255.0f;
    m.b = (rgb & 255) / 255.0f;
    m.specular = specular;
    m.texture = texture ? texture : "";
    return m;
}

// Gable roof over a box footprint running along Z: two slopes and two gable triangles.
void GableRoof(MeshBuilder& m, float halfW, float z0, float z1, float eave, float ridge, float overhang, int roof,
               int gable) {
    float w = halfW + overhang;
    Vec3 l0{-w, eave, z0 - overhang}, l1{-w, eave, z1 + overhang};
    Vec3 r0{w, eave, z0 - overhang}, r1{w, eave, z1 + overhang};
    Vec3 t0{0, ridge, z0 - overhang}, t1{0, ridge, z1 + overhang};
    m.Quad(l0, t0, t1, l1, roof, 0.12f);
    m.Quad(r1, t1, t0, r0, roof, 0.12f);
    m.Tri({-halfW, eave, z0}, {halfW, eave, z0}, {0, ridge, z0}, gable);
    m.Tri({halfW, eave, z1}, {-halfW, eave, z1}, {0, ridge, z1}, gable);
    // Undersides so the overhang does not show through from below.
    m.Quad(l1, t1, t0, l0, roof, 0.12f);
    m.Quad(r0, t0, t1, r1, roof, 0.12f);
}

// Windows: thin dark boxes standing slightly proud of a wall facing +X or -X (side = +-1).
void SideWindows(MeshBuilder& m, float x, int side, float z0, float z1, int count, float y0, float h, int mat) {
    for (int i = 0; i < count; ++i) {
        float zc = z0 + (z1 - z0) * (i + 0.5f) / count;
        float xo = x + side * 0.3f;
        m.Box({std::fmin(x, xo), y0, zc - 1.2f}, {std::fmax(x, xo), y0 + h, zc + 1.2f}, mat);
    }
}

MeshBuilder Church() {
    MeshBuilder m;
    int wall = m.AddMaterial(Tinted(0xF2E6CF, "plaster.png"));
    int roof = m.AddMaterial(Tinted(0xC4553B, "roof.png"));
    int stone = m.AddMaterial(Tinted(0xB9B2A6, "stone.png"));
    int glass = m.AddMaterial(Tinted(0x3A6EA5, nullptr, 0.6f));
    int door = m.AddMaterial(Tinted(0x7A4A2A, "wood.png"));
    int gold = m.AddMaterial(Tinted(0xFFD24A, nullptr, 0.8f));
    // Nave 20 x 36, its front (the tower) towards -Z.
    m.Box({-10, -6, -12}, {10, 15, 24}, wall);
    GableRoof(m, 10, -12, 24, 15, 25, 1.2f, roof, wall);
    SideWindows(m, 10, 1, -8, 22, 4, 5, 7, glass);
    SideWindows(m, -10, -1, -8, 22, 4, 5, 7, glass);
    // Apse at the back.
    m.Prism({0, -6, 24}, 19, 8, 8, 8, stone, 0.1f, -1, true);
    m.Prism({0, 13, 24}, 6, 8.8f, 0.5f, 8, roof, 0.12f);
    // Tower with a belfry and spire.
    m.Box({-6, -6, -24}, {6, 30, -12}, stone);
    m.Box({-6.6f, 30, -24.6f}, {6.6f, 33, -11.4f}, wall);
    m.Box({-2.2f, 20, -24.3f}, {2.2f, 27, -23.9f}, glass);
    m.Box({-2.5f, 0, -24.4f}, {2.5f, 8, -23.9f}, door);
    m.Prism({0, 33, -18}, 20, 8.5f, 0.3f, 4, roof, 0.12f, -1, true, 3.14159265f / 4);
    m.Box({-0.3f, 52, -18.3f}, {0.3f, 58, -17.7f}, gold);
    m.Box({-2, 55, -18.3f}, {2, 55.6f, -17.7f}, gold);
    return m;
}

MeshBuilder Kosciol() {
    MeshBuilder m;
    int timber = m.AddMaterial(Tinted(0xA8683A, "wood.png"));
    int shingle = m.AddMaterial(Tinted(0x5C4636, "roof.png"));
    int dome = m.AddMaterial(Tinted(0x3FA26B, "roof.png", 0.3f));
    int trim = m.AddMaterial(Tinted(0xF4EBD8, "plaster.png"));
    int glass = m.AddMaterial(Tinted(0xF0C060, nullptr, 0.5f));
    int gold = m.AddMaterial(Tinted(0xFFD24A, nullptr, 0.8f));
    // A wooden church: log nave, steep shingle roof, bell tower with an onion dome.
    m.Box({-9, -6, -10}, {9, 11, 16}, timber);
    GableRoof(m, 9, -10, 16, 11, 26, 1.6f, shingle, timber);
    m.Box({-9.4f, 0, -10.4f}, {9.4f, 1.2f, 16.4f}, trim);
    SideWindows(m, 9, 1, -6, 14, 3, 4, 4, glass);
    SideWindows(m, -9, -1, -6, 14, 3, 4, 4, glass);
    m.Box({-5, -6, -20}, {5, 22, -10}, timber);
    m.Box({-5.6f, 22, -20.6f}, {5.6f, 24, -9.4f}, trim);
    m.Prism({0, 24, -15}, 3, 4.2f, 4.2f, 8, timber);
    m.Ellipsoid({0, 31, -15}, {6, 6.5f, 6}, 6, 10, dome);
    m.Prism({0, 36.5f, -15}, 4, 1.6f, 0.1f, 8, dome);
    m.Box({-0.3f, 40, -15.3f}, {0.3f, 45, -14.7f}, gold);
    m.Box({-1.6f, 42.5f, -15.3f}, {1.6f, 43.1f, -14.7f}, gold);
    m.Box({-2.2f, 0, -20.4f}, {2.2f, 7, -19.9f}, trim);
    return m;
}

MeshBuilder WindTower() {
    MeshBuilder m;
    int wall = m.AddMaterial(Tinted(0xF5F0E6, "plaster.png"));
    int cap = m.AddMaterial(Tinted(0x3E6FB0, "roof.png"));
    int door = m.AddMaterial(Tinted(0x7A4A2A, "wood.png"));
    int band = m.AddMaterial(Tinted(0xD2483C, "plaster.png"));
    // Octagonal tower, sail hub on its +X side at (kSailHub).
    m.Prism({0, -12, 0}, 50, 9.4f, 5.5f, 8, wall, 0.1f, -1, true, 3.14159265f / 8);
    m.Prism({0, 16, 0}, 2, 7.6f, 7.5f, 8, band, 0.1f, -1, true, 3.14159265f / 8);
    m.Prism({0, 38, 0}, 8, 6.5f, 6.5f, 8, wall, 0.1f, -1, true, 3.14159265f / 8);
    m.Prism({0, 46, 0}, 9, 7.5f, 0.4f, 8, cap, 0.12f, -1, true, 3.14159265f / 8);
    m.Box({5.5f, 41, -1.2f}, {8.4f, 43.4f, 1.2f}, door); // the axle housing
    m.Box({-1.8f, 0, 8.3f}, {1.8f, 6, 8.9f}, door);
    return m;
}

MeshBuilder Sail() {
    MeshBuilder m;
    int wood = m.AddMaterial(Tinted(0x8A5A34, "wood.png"));
    int cloth = m.AddMaterial(Tinted(0xF7F1E1, "plaster.png"));
    // Four blades in the model's Y-Z plane around the X axis; symmetric in X so the half turn
    // the game gives it first changes nothing.
    m.Box({-1, -1.4f, -1.4f}, {1, 1.4f, 1.4f}, wood);
    for (int b = 0; b < 4; ++b) {
        int first = int(m.vertices.size());
        m.Box({-0.35f, 1.0f, -0.4f}, {0.35f, 22, 0.4f}, wood);
        m.Box({-0.12f, 4, 0.4f}, {0.12f, 21, 5.0f}, cloth);
        m.TransformFrom(first, 90.0f * b, {});
    }
    return m;
}

// A unit octahedron: the checkpoint is never drawn, its model gives the passage radius (1 x scale).
MeshBuilder CheckPointModel() {
    MeshBuilder m;
    int mat = m.AddMaterial(Tinted(0xFFFFFF, nullptr));
    Vec3 p[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int sx : {0, 1})
        for (int sy : {2, 3})
            for (int sz : {4, 5}) m.Tri(p[sx], p[sy], p[sz], mat, 0.5f);
    // Tri derives the facing from the corner order; flip any face that points inwards.
    for (size_t f = 0; f < m.faceMaterials.size(); ++f) {
        Vertex& a = m.vertices[m.indices[f * 3]];
        if (Dot(a.normal, a.pos + m.vertices[m.indices[f * 3 + 1]].pos) < 0) {
            std::swap(m.indices[f * 3 + 1], m.indices[f * 3 + 2]);
            for (int c = 0; c < 3; ++c)
                m.vertices[m.indices[f * 3 + c]].normal = m.vertices[m.indices[f * 3 + c]].normal * -1;
        }
    }
    return m;
}

MeshBuilder Ground() {
    MeshBuilder m;
    Material mat = Tinted(0xFFFFFF, "ground.png", 0.02f);
    mat.power = 4;
    int id = m.AddMaterial(mat);
    const int n = terrain::kCells;
    const float size = 2 * terrain::kHalfSize, cell = size / n;
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i) {
            float x = -terrain::kHalfSize + i * cell, z = -terrain::kHalfSize + j * cell;
            float h = float(terrain::Height(x, z));
            float hx = float(terrain::Height(x + 1, z) - terrain::Height(x - 1, z)) * 0.5f;
            float hz = float(terrain::Height(x, z + 1) - terrain::Height(x, z - 1)) * 0.5f;
            // The texture's row 0 is the north edge (+Z).
            m.AddVertex({{x, h, z}, Normalize({-hx, 1, -hz}), float(i) / n, 1.0f - float(j) / n, -1});
        }
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            int a = j * (n + 1) + i, b = a + 1, c = a + n + 1, d = c + 1;
            // Split along the (x0,z0)-(x1,z1) diagonal, as terrain::MeshHeight assumes.
            m.AddFace(a, b, d, id, {0, 1, 0});
            m.AddFace(a, d, c, id, {0, 1, 0});
        }
    return m;
}

} // namespace

bool WriteMapModels(const std::string& dir) {
    return WriteStaticX(dir + "/ground.x", Ground(), "Ground") && WriteStaticX(dir + "/church.x", Church(), "Church") &&
           WriteStaticX(dir + "/kosciol.x", Kosciol(), "Kosciol") &&
           WriteStaticX(dir + "/windtower.x", WindTower(), "WindTower") &&
           WriteStaticX(dir + "/sail.x", Sail(), "Sail") &&
           WriteStaticX(dir + "/checkpoint.x", CheckPointModel(), "CheckPoint");
}
