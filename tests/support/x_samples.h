// Small .x files written by the model tests: a temp folder and generators for skinned models.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace xsamples {

// One folder per test process, removed when the process ends.
inline std::filesystem::path TempDir() {
    struct Holder {
        std::filesystem::path dir =
            std::filesystem::temp_directory_path() / ("orlenda_model_" + std::to_string(getpid()));
        Holder() { std::filesystem::create_directories(dir); }
        ~Holder() {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
        }
    };
    static Holder holder;
    return holder.dir;
}

inline std::string WriteFile(const std::string& name, const std::string& text) {
    auto path = TempDir() / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

inline std::string Num(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    return buf;
}

// A skinned model: frame "Root" holding one mesh and `bones` child frames "Bone<i>", each placed at
// (i, 0, 0). Bone i owns a triangle near x = i; every triangle's corner 2 is shared half and half with
// the next bone. With `animation`, set "Walk" moves Bone0 along y over 40 ticks.
inline std::string SkinnedModel(int bones, bool animation = false, const std::string& extraSets = "") {
    std::string x = "xof 0303txt 0032\n";
    x += "Frame Root {\n FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n";
    for (int b = 0; b < bones; ++b)
        x += " Frame Bone" + std::to_string(b) + " { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, " + Num(b) +
             ",0,0,1;; } }\n";
    x += " Mesh Body {\n  " + std::to_string(bones * 3) + ";\n";
    for (int b = 0; b < bones; ++b)
        x += "  " + Num(b) + ";0;0;, " + Num(b + 0.5) + ";1;0;, " + Num(b) + ";0;1;" + (b + 1 < bones ? ",\n" : ";\n");
    x += "  " + std::to_string(bones) + ";\n";
    for (int b = 0; b < bones; ++b)
        x += "  3;" + std::to_string(b * 3) + "," + std::to_string(b * 3 + 1) + "," + std::to_string(b * 3 + 2) +
             (b + 1 < bones ? ";,\n" : ";;\n");
    x += "  MeshNormals { " + std::to_string(bones * 3) + ";\n";
    for (int v = 0; v < bones * 3; ++v) x += "   0;1;0;" + std::string(v + 1 < bones * 3 ? "," : ";") + "\n";
    x += "   " + std::to_string(bones) + ";\n";
    for (int b = 0; b < bones; ++b)
        x += "   3;" + std::to_string(b * 3) + "," + std::to_string(b * 3 + 1) + "," + std::to_string(b * 3 + 2) +
             (b + 1 < bones ? ";,\n" : ";;\n");
    x += "  }\n";
    x += "  XSkinMeshHeader { 2; 6; " + std::to_string(bones) + "; }\n";
    for (int b = 0; b < bones; ++b) {
        // Own corners 0 and 1 fully, corner 2 half; the previous bone's corner 2 the other half.
        std::string idx = std::to_string(b * 3) + "," + std::to_string(b * 3 + 1) + "," + std::to_string(b * 3 + 2);
        std::string w = "1.0,1.0,0.5";
        int n = 3;
        if (b > 0) {
            idx += "," + std::to_string((b - 1) * 3 + 2);
            w += ",0.5";
            n = 4;
        }
        x += "  SkinWeights { \"Bone" + std::to_string(b) + "\"; " + std::to_string(n) + "; " + idx + "; " + w +
             "; 1,0,0,0, 0,1,0,0, 0,0,1,0, " + Num(-b) + ",0,0,1;; }\n";
    }
    x += " }\n}\n";
    if (animation) {
        x += "AnimTicksPerSecond { 60; }\n";
        x += "AnimationSet Walk {\n Animation { {Bone0}\n  AnimationKey { 2; 2; 0;3;0,0,0;;, 40;3;0,4,0;;; }\n }\n}\n";
    }
    x += extraSets;
    return x;
}

} // namespace xsamples
