// .x text output. Rotation keys are stored the way .x files keep them, as the conjugate of the
// rotation meant (the loader negates w to get it back).
#include "xfile_writer.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <set>

namespace {

void Put(std::string& out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void Put(std::string& out, const char* fmt, ...) {
    char buf[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    out += buf;
}

std::string F(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6f", std::fabs(v) < 5e-7f ? 0.0f : v);
    return buf;
}

void PutMatrix(std::string& out, const float m[16], const char* indent) {
    out += indent;
    for (int i = 0; i < 16; ++i) out += F(m[i]) + (i < 15 ? "," : ";;\n");
}

void Translation(float m[16], Vec3 t) {
    for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    m[12] = t.x;
    m[13] = t.y;
    m[14] = t.z;
}

void PutMaterial(std::string& out, const Material& m) {
    out += "  Material {\n";
    out += "   " + F(m.r) + ";" + F(m.g) + ";" + F(m.b) + ";" + F(m.a) + ";;\n";
    out += "   " + F(m.power) + ";\n";
    out += "   " + F(m.specular) + ";" + F(m.specular) + ";" + F(m.specular) + ";;\n";
    out += "   " + F(m.r * m.emissive) + ";" + F(m.g * m.emissive) + ";" + F(m.b * m.emissive) + ";;\n";
    if (!m.texture.empty()) out += "   TextureFilename {\n    \"" + m.texture + "\";\n   }\n";
    out += "  }\n";
}

// The Mesh body shared by both writers; `extra` is inserted before the closing brace.
void PutMesh(std::string& out, const MeshBuilder& mesh, const std::string& name, const std::string& extra) {
    const auto& vs = mesh.vertices;
    size_t faces = mesh.faceMaterials.size();
    out += " Mesh " + name + " {\n";
    Put(out, "  %zu;\n", vs.size());
    for (size_t i = 0; i < vs.size(); ++i)
        out += "  " + F(vs[i].pos.x) + ";" + F(vs[i].pos.y) + ";" + F(vs[i].pos.z) + ";" +
               (i + 1 < vs.size() ? ",\n" : ";\n");
    Put(out, "  %zu;\n", faces);
    for (size_t f = 0; f < faces; ++f)
        Put(out, "  3;%d,%d,%d;%s\n", mesh.indices[f * 3], mesh.indices[f * 3 + 1], mesh.indices[f * 3 + 2],
            f + 1 < faces ? "," : ";");
    out += "  MeshNormals {\n";
    Put(out, "   %zu;\n", vs.size());
    for (size_t i = 0; i < vs.size(); ++i)
        out += "   " + F(vs[i].normal.x) + ";" + F(vs[i].normal.y) + ";" + F(vs[i].normal.z) + ";" +
               (i + 1 < vs.size() ? ",\n" : ";\n");
    Put(out, "   %zu;\n", faces);
    for (size_t f = 0; f < faces; ++f)
        Put(out, "   3;%d,%d,%d;%s\n", mesh.indices[f * 3], mesh.indices[f * 3 + 1], mesh.indices[f * 3 + 2],
            f + 1 < faces ? "," : ";");
    out += "  }\n  MeshTextureCoords {\n";
    Put(out, "   %zu;\n", vs.size());
    for (size_t i = 0; i < vs.size(); ++i)
        out += "   " + F(vs[i].u) + ";" + F(vs[i].v) + ";" + (i + 1 < vs.size() ? ",\n" : ";\n");
    out += "  }\n  MeshMaterialList {\n";
    Put(out, "   %zu;\n   %zu;\n", mesh.materials.size(), faces);
    for (size_t f = 0; f < faces; ++f)
        Put(out, "%s%d", f % 20 == 0 ? "   " : "", mesh.faceMaterials[f]),
            out += f + 1 < faces ? (f % 20 == 19 ? ",\n" : ",") : ";;\n";
    for (const Material& m : mesh.materials) PutMaterial(out, m);
    out += "  }\n";
    out += extra;
    out += " }\n";
}

bool Save(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

std::string SkinSection(const SkinnedModel& model) {
    const auto& inf = model.influences;
    std::map<int, std::vector<std::pair<int, float>>> perBone;
    int maxPerVertex = 0;
    for (size_t v = 0; v < inf.size(); ++v) {
        int n = 0;
        for (int k = 0; k < 3; ++k)
            if (inf[v].bone[k] >= 0 && inf[v].weight[k] > 0) {
                perBone[inf[v].bone[k]].push_back({int(v), inf[v].weight[k]});
                ++n;
            }
        maxPerVertex = std::max(maxPerVertex, n);
    }
    int maxPerFace = 0;
    const MeshBuilder& mesh = model.mesh;
    for (size_t f = 0; f < mesh.faceMaterials.size(); ++f) {
        std::set<int> bones;
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k)
                if (inf[mesh.indices[f * 3 + c]].bone[k] >= 0) bones.insert(inf[mesh.indices[f * 3 + c]].bone[k]);
        maxPerFace = std::max(maxPerFace, int(bones.size()));
    }
    std::string out;
    Put(out, "  XSkinMeshHeader {\n   %d;\n   %d;\n   %zu;\n  }\n", maxPerVertex, maxPerFace, perBone.size());
    for (const auto& [bone, list] : perBone) {
        out += "  SkinWeights {\n   \"" + model.bones[bone].name + "\";\n";
        Put(out, "   %zu;\n", list.size());
        for (size_t i = 0; i < list.size(); ++i) Put(out, "   %d%s\n", list[i].first, i + 1 < list.size() ? "," : ";");
        for (size_t i = 0; i < list.size(); ++i)
            out += "   " + F(list[i].second) + (i + 1 < list.size() ? ",\n" : ";\n");
        float offset[16];
        Translation(offset, model.bones[bone].pivot * -1.0f);
        PutMatrix(out, offset, "   ");
        out += "  }\n";
    }
    return out;
}

void PutFrames(std::string& out, const SkinnedModel& model, int parent, int depth) {
    std::string indent(size_t(depth), ' ');
    for (size_t b = 0; b < model.bones.size(); ++b) {
        if (model.bones[b].parent != parent) continue;
        Vec3 origin = parent >= 0 ? model.bones[parent].pivot : Vec3{};
        float m[16];
        Translation(m, model.bones[b].pivot - origin);
        out += indent + "Frame " + model.bones[b].name + " {\n" + indent + " FrameTransformMatrix {\n";
        PutMatrix(out, m, (indent + "  ").c_str());
        out += indent + " }\n";
        PutFrames(out, model, int(b), depth + 1);
        out += indent + "}\n";
    }
}

void PutAnimation(std::string& out, const SkinnedModel& model, const AnimationClip& clip) {
    out += "AnimationSet " + clip.name + " {\n";
    for (const BoneTrack& track : clip.tracks) {
        const SkinBone& bone = model.bones[track.bone];
        Vec3 origin = bone.parent >= 0 ? model.bones[bone.parent].pivot : Vec3{};
        Vec3 t = bone.pivot - origin;
        size_t n = track.rotations.size();
        out += " Animation {\n  {" + bone.name + "}\n  AnimationOptions {\n   1;\n   0;\n  }\n";
        Put(out, "  AnimationKey {\n   0;\n   %zu;\n", n);
        for (size_t i = 0; i < n; ++i) {
            const Quat& q = track.rotations[i].second;
            Put(out, "   %d;4;%s,%s,%s,%s;;%s\n", track.rotations[i].first, F(q.w).c_str(), F(-q.x).c_str(),
                F(-q.y).c_str(), F(-q.z).c_str(), i + 1 < n ? "," : ";");
        }
        Put(out, "  }\n  AnimationKey {\n   1;\n   %zu;\n", n);
        for (size_t i = 0; i < n; ++i)
            Put(out, "   %d;3;1.000000,1.000000,1.000000;;%s\n", track.rotations[i].first, i + 1 < n ? "," : ";");
        Put(out, "  }\n  AnimationKey {\n   2;\n   %zu;\n", n);
        for (size_t i = 0; i < n; ++i)
            Put(out, "   %d;3;%s,%s,%s;;%s\n", track.rotations[i].first, F(t.x).c_str(), F(t.y).c_str(), F(t.z).c_str(),
                i + 1 < n ? "," : ";");
        out += "  }\n }\n";
    }
    out += "}\n";
}

} // namespace

Quat QuatAxisAngle(Vec3 axis, float degrees) {
    Vec3 a = Normalize(axis);
    float h = degrees * 3.14159265f / 360.0f, s = std::sin(h);
    return {a.x * s, a.y * s, a.z * s, std::cos(h)};
}

Quat QuatMul(const Quat& a, const Quat& b) {
    // D3DXQuaternionMultiply(a, b) = b * a in Hamilton order: rotation a followed by b.
    return {b.w * a.x + b.x * a.w + b.y * a.z - b.z * a.y, b.w * a.y - b.x * a.z + b.y * a.w + b.z * a.x,
            b.w * a.z + b.x * a.y - b.y * a.x + b.z * a.w, b.w * a.w - b.x * a.x - b.y * a.y - b.z * a.z};
}

bool WriteStaticX(const std::string& path, const MeshBuilder& mesh, const std::string& name) {
    std::string out = "xof 0303txt 0032\n\n";
    out += "Frame " + name + "_Root {\n FrameTransformMatrix {\n";
    float identity[16];
    Translation(identity, {});
    PutMatrix(out, identity, "  ");
    out += " }\n";
    PutMesh(out, mesh, name, "");
    out += "}\n";
    return Save(path, out);
}

bool WriteSkinnedX(const std::string& path, const SkinnedModel& model, const std::string& name) {
    std::string out = "xof 0303txt 0032\n\n";
    float identity[16];
    Translation(identity, {});
    out += "Frame Scene_Root {\n FrameTransformMatrix {\n";
    PutMatrix(out, identity, "  ");
    out += " }\n";
    PutFrames(out, model, -1, 1);
    out += " Frame " + name + "_Body {\n  FrameTransformMatrix {\n";
    PutMatrix(out, identity, "   ");
    out += "  }\n";
    PutMesh(out, model.mesh, name, SkinSection(model));
    out += " }\n}\n\n";
    Put(out, "AnimTicksPerSecond {\n %d;\n}\n\n", model.ticksPerSecond);
    for (const AnimationClip& clip : model.clips) PutAnimation(out, model, clip);
    return Save(path, out);
}
