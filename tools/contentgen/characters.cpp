// Character rigs: one skeleton shared by all three, parts skinned to it with joint blending,
// palettes painted into a small texture atlas per character.
#include "characters.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "image.h"
#include "xfile_writer.h"

namespace {

enum Bone {
    Hips,
    Spine,
    Chest,
    Neck,
    Head,
    Hat,
    HatTip,
    Hair,
    Cape,
    ArmUpL,
    ArmLowL,
    HandL,
    ArmUpR,
    ArmLowR,
    HandR,
    LegUpL,
    LegLowL,
    FootL,
    LegUpR,
    LegLowR,
    FootR,
    kBoneCount
};

// Atlas cells (4 x 4 of 32 pixels) that parts take their colour from.
enum Cell { Skin, HairCell, HatCell, Band, Robe, Trim, Boots, Stocking, Face, CapeCell, kCellCount };

struct Palette {
    const char* name;
    const char* folder;
    uint32_t colours[kCellCount];
    float hatHeight;
    bool ponytail;
};

const Palette kPalettes[] = {
    {"perlita",
     "aaa",
     {0xFFE0C8, 0xF08A2E, 0x5B2A86, 0xF2C230, 0x7B3FB0, 0xF2C230, 0x3A2A22, 0x2E2440, 0xFFE0C8, 0xE8506A},
     0.52f,
     false},
    {"velka",
     "velka",
     {0xF7DCC4, 0xE8E4D8, 0x1E2A4A, 0xD8283C, 0xC8283C, 0xF4F0E8, 0x20202A, 0x202030, 0xF7DCC4, 0x2A3A6A},
     0.6f,
     true},
    {"mirro",
     "mirro",
     {0xFFE6D2, 0xF57BB6, 0x17806D, 0xFFE066, 0x2FB39A, 0xFFE066, 0x6A3A2A, 0xF4F4F4, 0xFFE6D2, 0xFF9F43},
     0.44f,
     false},
};

std::vector<SkinBone> Skeleton() {
    struct B {
        const char* name;
        int parent;
        Vec3 pivot;
    };
    const B bones[kBoneCount] = {
        {"Hips", -1, {0, 1.12f, -0.25f}},
        {"Spine", Hips, {0, 1.25f, -0.24f}},
        {"Chest", Spine, {0, 1.45f, -0.2f}},
        {"Neck", Chest, {0, 1.66f, -0.16f}},
        {"Head", Neck, {0, 1.74f, -0.14f}},
        {"Hat", Head, {0, 2.0f, -0.16f}},
        {"HatTip", Hat, {0, 2.28f, -0.24f}},
        {"Hair", Head, {0, 1.86f, -0.27f}},
        {"Cape", Chest, {0, 1.62f, -0.3f}},
        {"ArmUpL", Chest, {-0.19f, 1.6f, -0.17f}},
        {"ArmLowL", ArmUpL, {-0.25f, 1.38f, -0.02f}},
        {"HandL", ArmLowL, {-0.09f, 1.09f, 0.24f}},
        {"ArmUpR", Chest, {0.19f, 1.6f, -0.17f}},
        {"ArmLowR", ArmUpR, {0.25f, 1.38f, -0.02f}},
        {"HandR", ArmLowR, {0.09f, 1.09f, 0.24f}},
        {"LegUpL", Hips, {-0.11f, 1.06f, -0.2f}},
        {"LegLowL", LegUpL, {-0.21f, 0.98f, 0.16f}},
        {"FootL", LegLowL, {-0.18f, 0.62f, 0.1f}},
        {"LegUpR", Hips, {0.11f, 1.06f, -0.2f}},
        {"LegLowR", LegUpR, {0.21f, 0.98f, 0.16f}},
        {"FootR", LegLowR, {0.18f, 0.62f, 0.1f}},
    };
    std::vector<SkinBone> out;
    for (const B& b : bones) out.push_back({b.name, b.parent, b.pivot});
    return out;
}

class RigBuilder {
public:
    explicit RigBuilder(SkinnedModel& model) : model_(model), mesh_(model.mesh) {}

    // Everything added inside `part` is skinned to `bone`, blending into `blendBone` within
    // `blendRange` of `joint` (rigid when blendBone < 0), coloured from atlas cell `cell`.
    void Part(int bone, int cell, const std::function<void()>& part, int blendBone = -1, Vec3 joint = {},
              float blendRange = 0) {
        int first = int(mesh_.vertices.size());
        part();
        for (size_t i = size_t(first); i < mesh_.vertices.size(); ++i) {
            Vertex& v = mesh_.vertices[i];
            SetCellUv(v, cell);
            SkinInfluence inf;
            inf.bone[0] = bone;
            inf.weight[0] = 1;
            if (blendBone >= 0) {
                float d = Length(v.pos - joint);
                float w = std::clamp(0.5f * (1 - d / blendRange), 0.0f, 0.5f);
                if (w > 0.01f) {
                    inf.bone[1] = blendBone;
                    inf.weight[1] = w;
                    inf.weight[0] = 1 - w;
                }
            }
            model_.influences.push_back(inf);
        }
    }
    // A tapered 6-sided limb from a to b.
    void Limb(Vec3 a, Vec3 b, float ra, float rb, int sides = 6) {
        int first = int(mesh_.vertices.size());
        Vec3 dir = Normalize(b - a);
        mesh_.Prism({0, 0, 0}, Length(b - a), ra, rb, sides, 0);
        Vec3 side = Normalize(Cross(std::fabs(dir.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0}, dir));
        Vec3 ez = Cross(side, dir);
        Place(first, a, side, dir, ez);
    }
    void Ball(Vec3 c, Vec3 r, int rings = 5, int segments = 8) { mesh_.Ellipsoid(c, r, rings, segments, 0); }
    void Cone(Vec3 base, float h, float r0, float r1, int sides = 8) { mesh_.Prism(base, h, r0, r1, sides, 0); }
    MeshBuilder& Mesh() { return mesh_; }

private:
    void Place(int first, Vec3 origin, Vec3 ex, Vec3 ey, Vec3 ez) {
        for (size_t i = size_t(first); i < mesh_.vertices.size(); ++i) {
            Vertex& v = mesh_.vertices[i];
            Vec3 p = v.pos, n = v.normal;
            v.pos = origin + ex * p.x + ey * p.y + ez * p.z;
            v.normal = Normalize(ex * n.x + ey * n.y + ez * n.z);
        }
    }
    void SetCellUv(Vertex& v, int cell) {
        float cu = (cell % 4 + 0.5f) / 4, cv = (cell / 4 + 0.5f) / 4;
        if (cell == Face) {
            // Planar face mapping: the front of the head shows the painted face.
            float fx = std::clamp((v.pos.x) / 0.16f, -1.0f, 1.0f),
                  fy = std::clamp((1.86f - v.pos.y) / 0.16f, -1.0f, 1.0f);
            if (v.normal.z > 0.2f) {
                v.u = cu + fx * 0.11f;
                v.v = cv + fy * 0.11f;
                return;
            }
            cu = (Skin % 4 + 0.5f) / 4, cv = (Skin / 4 + 0.5f) / 4;
        }
        v.u = cu;
        v.v = cv;
    }
    SkinnedModel& model_;
    MeshBuilder& mesh_;
};

void BuildBody(RigBuilder& rig, const Palette& pal, const std::vector<SkinBone>& bones) {
    auto P = [&](int b) { return bones[size_t(b)].pivot; };
    rig.Part(
        Chest, Robe,
        [&] {
            rig.Ball({0, 1.42f, -0.2f}, {0.16f, 0.2f, 0.12f}, 5, 8);
        },
        Spine, P(Spine), 0.18f);
    rig.Part(
        Hips, Robe,
        [&] {
            rig.Cone({0, 0.88f, -0.17f}, 0.42f, 0.34f, 0.15f, 10);
        },
        Spine, P(Spine), 0.2f);
    rig.Part(Hips, Trim, [&] { rig.Cone({0, 0.86f, -0.17f}, 0.04f, 0.35f, 0.345f, 10); });
    rig.Part(
        Neck, Skin,
        [&] {
            rig.Limb(P(Neck), P(Head) + Vec3{0, 0.05f, 0}, 0.05f, 0.045f);
        },
        Chest, P(Neck), 0.06f);
    rig.Part(Head, Face, [&] { rig.Ball({0, 1.86f, -0.13f}, {0.15f, 0.16f, 0.15f}, 6, 10); });
    rig.Part(
        Hair, HairCell,
        [&] {
            rig.Ball({0, 1.88f, -0.2f}, {0.17f, 0.17f, 0.15f}, 5, 8);
        },
        Head, P(Hair), 0.1f);
    rig.Part(
        Hair, HairCell,
        [&] {
            rig.Ball({0, 1.73f, -0.28f}, {0.15f, 0.16f, 0.09f}, 4, 8);
        },
        Head, P(Hair), 0.12f);
    if (pal.ponytail) rig.Part(Hair, HairCell, [&] { rig.Limb({0, 1.9f, -0.33f}, {0, 1.55f, -0.55f}, 0.07f, 0.02f); });
    rig.Part(Hat, HatCell, [&] { rig.Cone({0, 1.98f, -0.15f}, 0.03f, 0.34f, 0.3f, 12); });
    rig.Part(Hat, Band, [&] { rig.Cone({0, 2.0f, -0.15f}, 0.06f, 0.17f, 0.16f, 8); });
    rig.Part(Hat, HatCell, [&] { rig.Limb({0, 2.06f, -0.15f}, P(HatTip), 0.16f, 0.09f, 8); });
    rig.Part(
        HatTip, HatCell,
        [&] {
            rig.Limb(P(HatTip), {0, 2.0f + pal.hatHeight, -0.45f}, 0.09f, 0.0f, 8);
        },
        Hat, P(HatTip), 0.08f);
    rig.Part(
        Cape, CapeCell,
        [&] {
            rig.Mesh().Box({-0.17f, 1.05f, -0.36f}, {0.17f, 1.64f, -0.32f}, 0);
        },
        Chest, P(Cape), 0.12f);
    for (int side : {-1, 1}) {
        int up = side < 0 ? ArmUpL : ArmUpR, low = up + 1, hand = up + 2;
        int thigh = side < 0 ? LegUpL : LegUpR, shin = thigh + 1, foot = thigh + 2;
        rig.Part(
            up, Robe, [&] { rig.Limb(P(up), P(low), 0.06f, 0.05f); }, Chest, P(up), 0.08f);
        rig.Part(
            low, Robe, [&] { rig.Limb(P(low), P(hand), 0.05f, 0.065f); }, up, P(low), 0.08f);
        rig.Part(low, Trim, [&] { rig.Limb(P(hand) - Normalize(P(hand) - P(low)) * 0.06f, P(hand), 0.068f, 0.07f); });
        rig.Part(hand, Skin, [&] { rig.Ball(P(hand) + Vec3{0, -0.02f, 0.05f}, {0.045f, 0.045f, 0.055f}, 3, 6); });
        rig.Part(
            thigh, Stocking, [&] { rig.Limb(P(thigh), P(shin), 0.075f, 0.06f); }, Hips, P(thigh), 0.1f);
        rig.Part(
            shin, Stocking, [&] { rig.Limb(P(shin), P(foot), 0.058f, 0.045f); }, thigh, P(shin), 0.08f);
        rig.Part(
            foot, Boots,
            [&] {
                rig.Ball(P(foot) + Vec3{0, -0.05f, 0.05f}, {0.06f, 0.07f, 0.12f}, 4, 6);
            },
            shin, P(foot), 0.1f);
    }
}

BoneTrack Wave(int bone, Vec3 axis, float base, float amplitude, int cycles, float phase, int length) {
    BoneTrack t;
    t.bone = bone;
    for (int tick = 0; tick <= length; tick += length / 8) {
        float a = base + amplitude * std::sin(2 * 3.14159265f * (cycles * float(tick) / length + phase));
        t.rotations.push_back({tick, QuatAxisAngle(axis, a)});
    }
    return t;
}

std::vector<AnimationClip> Clips() {
    const Vec3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
    AnimationClip seated{"座り", {}};
    for (int b : {Hips, Spine, Chest, Head, HatTip, Hair, Cape}) seated.tracks.push_back(Wave(b, x, 0, 0, 1, 0, 64));
    AnimationClip flying{"飛行", {}};
    const int len = 120; // two seconds at 60 ticks a second
    flying.tracks = {Wave(Hips, x, 0, 2, 1, 0, len),        Wave(Spine, x, 4, 2, 1, 0.1f, len),
                     Wave(Chest, x, 4, 2, 1, 0.2f, len),    Wave(Head, y, 0, 6, 1, 0.3f, len),
                     Wave(Hat, x, -4, 4, 2, 0.1f, len),     Wave(HatTip, x, -12, 12, 2, 0.3f, len),
                     Wave(Hair, x, -8, 8, 2, 0.2f, len),    Wave(Cape, x, -18, 12, 3, 0, len),
                     Wave(ArmUpL, z, 0, 3, 1, 0, len),      Wave(ArmUpR, z, 0, 3, 1, 0.5f, len),
                     Wave(LegUpL, x, 0, 8, 1, 0, len),      Wave(LegUpR, x, 0, 8, 1, 0.5f, len),
                     Wave(LegLowL, x, 0, 6, 1, 0.15f, len), Wave(LegLowR, x, 0, 6, 1, 0.65f, len)};
    return {seated, flying};
}

Image Atlas(const Palette& pal) {
    Image img(128, 128);
    for (int cell = 0; cell < 16; ++cell) {
        Rgba base = Hex(pal.colours[std::min(cell, int(kCellCount) - 1)]);
        int cx = (cell % 4) * 32, cy = (cell / 4) * 32;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                float shade = 0.94f + 0.1f * ValueNoise((cx + x) / 4.0f, (cy + y) / 4.0f, 0, 301);
                img.At(cx + x, cy + y) = {base.r * shade, base.g * shade, base.b * shade, 1};
            }
    }
    // The face cell: eyes, cheeks and a small smile, centred on the cell.
    float fx = (Face % 4) * 32 + 16, fy = (Face / 4) * 32 + 16;
    for (int side : {-1, 1}) {
        img.FillCircle(fx + side * 5.5f, fy - 0.5f, 2.6f, Hex(0xFFFFFF));
        img.FillCircle(fx + side * 5.5f, fy + 0.2f, 1.9f, Hex(pal.colours[HatCell]));
        img.FillCircle(fx + side * 5.5f, fy - 0.6f, 0.7f, Hex(0xFFFFFF));
        img.FillCircle(fx + side * 8.5f, fy + 4, 1.8f, Rgba{1, 0.5f, 0.55f, 0.5f});
    }
    for (float t = -2; t <= 2; t += 0.25f) img.FillCircle(fx + t, fy + 5.5f + 0.12f * t * t, 0.55f, Hex(0x9A3B3B));
    return img;
}

bool WriteCharacter(const std::string& xfileDir, const Palette& pal) {
    SkinnedModel model;
    model.bones = Skeleton();
    Material mat;
    mat.texture = std::string(pal.name) + ".png";
    mat.specular = 0.15f;
    mat.power = 12;
    model.mesh.AddMaterial(mat);
    RigBuilder rig(model);
    BuildBody(rig, pal, model.bones);
    model.clips = Clips();
    std::string dir = xfileDir + "/" + pal.folder;
    return WriteSkinnedX(dir + "/" + pal.name + ".x", model, pal.name) &&
           Atlas(pal).SavePng(dir + "/" + pal.name + ".png");
}

} // namespace

bool WriteCharacters(const std::string& xfileDir) {
    for (const Palette& pal : kPalettes)
        if (!WriteCharacter(xfileDir, pal)) return false;
    return true;
}
