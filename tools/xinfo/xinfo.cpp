// xinfo: a summary of a .x model for modders and maintainers — frames in pre-order, meshes,
// bones and animation sets with their lengths. Exits 1 with the parser's message on a bad file.
#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

#include "platform/xfile/xfile.h"

using namespace platform::xfile;

namespace {

// Every frame name of the file: a bone that names none of them is held still by the game.
void CollectFrameNames(const Frame& frame, std::set<std::string>& names) {
    names.insert(frame.name);
    for (const auto& child : frame.children) CollectFrameNames(*child, names);
}

void PrintMesh(const MeshData& mesh, int depth, const std::set<std::string>& frameNames) {
    std::size_t triangles = 0;
    for (std::uint32_t f = 0; f < mesh.FaceCount(); ++f) triangles += mesh.faceStarts[f + 1] - mesh.faceStarts[f] - 2;
    std::printf("%*smesh \"%s\": %zu vertices, %u faces (%zu triangles), %zu materials%s%s\n", depth * 2 + 2, "",
                mesh.name.c_str(), mesh.positions.size(), mesh.FaceCount(), triangles, mesh.materials.size(),
                mesh.normals.empty() ? "" : ", normals", mesh.texCoords.empty() ? "" : ", uv");
    for (std::size_t i = 0; i < mesh.materials.size(); ++i) {
        const Material& m = mesh.materials[i];
        std::printf("%*smaterial %zu: diffuse %.3g %.3g %.3g %.3g%s%s\n", depth * 2 + 4, "", i, m.faceColor.r,
                    m.faceColor.g, m.faceColor.b, m.faceColor.a, m.textureFilename.empty() ? "" : ", texture ",
                    m.textureFilename.c_str());
    }
    for (const SkinWeights& w : mesh.skinWeights)
        std::printf(
            "%*sbone \"%s\": %zu weights%s\n", depth * 2 + 4, "", w.transformNodeName.c_str(), w.vertexIndices.size(),
            frameNames.contains(w.transformNodeName) ? "" : " (matches no frame: its vertices stay in the bind pose)");
}

void PrintFrame(const Frame& frame, int depth, int& number, const std::set<std::string>& frameNames) {
    std::printf("%*sframe %d \"%s\" at (%g, %g, %g)\n", depth * 2, "", number++, frame.name.c_str(),
                frame.transform._41, frame.transform._42, frame.transform._43);
    for (const MeshData& mesh : frame.meshes) PrintMesh(mesh, depth, frameNames);
    for (const auto& child : frame.children) PrintFrame(*child, depth + 1, number, frameNames);
}

float LastKey(const Animation& a) {
    float last = 0;
    for (const auto& k : a.rotationKeys) last = std::max(last, k.time);
    for (const auto& k : a.scaleKeys) last = std::max(last, k.time);
    for (const auto& k : a.translationKeys) last = std::max(last, k.time);
    for (const auto& k : a.matrixKeys) last = std::max(last, k.time);
    return last;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: xinfo FILE.x\n");
        return 2;
    }
    Document doc;
    std::string error;
    if (!LoadXFile(argv[1], &doc, &error)) {
        std::fprintf(stderr, "xfile: %s\n", error.c_str());
        return 1;
    }
    int number = 0;
    std::set<std::string> frameNames;
    for (const auto& object : doc.objects) CollectFrameNames(*object.frame, frameNames);
    for (const auto& object : doc.objects) PrintFrame(*object.frame, 0, number, frameNames);
    std::printf("frames %d\n", number);
    std::printf("ticks per second %g%s\n", doc.ticksPerSecond, doc.hasTicksPerSecond ? "" : " (default)");
    for (const AnimationSet& set : doc.animationSets) {
        float last = 0;
        for (const Animation& a : set.animations) last = std::max(last, LastKey(a));
        std::printf("animation set \"%s\": %zu animations, length %g ticks (%.3f s)\n", set.name.c_str(),
                    set.animations.size(), last + 1.0, (last + 1.0) / doc.ticksPerSecond);
    }
    return 0;
}
