// Model library benchmarks: ray queries against a terrain mesh (tree vs brute force) and .x parsing.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "../tests/platform/mesh/mesh_grid.h"
#include "platform/mesh/ray_bvh.h"
#include "platform/xfile/xfile.h"

namespace {

struct Rays {
    std::vector<D3DXVECTOR3> origins, directions;
    Rays() {
        std::mt19937 rng(7);
        std::uniform_real_distribution<float> pos(0.0f, 128.0f), dir(-1.0f, 1.0f);
        for (int i = 0; i < 4096; ++i) {
            origins.emplace_back(pos(rng), 20.0f, pos(rng));
            // Mostly downward probes like the ground collision, some slanted.
            D3DXVECTOR3 d(dir(rng) * 0.5f, -1.0f, dir(rng) * 0.5f);
            D3DXVec3Normalize(&d, &d);
            directions.push_back(d);
        }
    }
};

void BM_RayTree(benchmark::State& state) {
    auto mesh = meshtest::MakeGrid(128);
    Rays rays;
    mesh->Bvh();
    std::size_t i = 0;
    for (auto _ : state) {
        BOOL hit;
        DWORD face;
        float u, v, dist;
        D3DXIntersect(mesh.get(), &rays.origins[i & 4095], &rays.directions[i & 4095], &hit, &face, &u, &v, &dist);
        benchmark::DoNotOptimize(dist);
        ++i;
    }
}
BENCHMARK(BM_RayTree);

void BM_RayBruteForce(benchmark::State& state) {
    auto mesh = meshtest::MakeGrid(128);
    Rays rays;
    std::size_t i = 0;
    for (auto _ : state) {
        platform::mesh::RayHit hit;
        benchmark::DoNotOptimize(platform::mesh::RayBvh::IntersectBruteForce(*mesh, rays.origins[i & 4095],
                                                                             rays.directions[i & 4095], &hit));
        ++i;
    }
}
BENCHMARK(BM_RayBruteForce);

void BM_TreeBuild(benchmark::State& state) {
    auto mesh = meshtest::MakeGrid(128);
    for (auto _ : state) {
        platform::mesh::RayBvh tree;
        tree.Build(*mesh);
        benchmark::DoNotOptimize(tree.NodeCount());
    }
}
BENCHMARK(BM_TreeBuild)->Unit(benchmark::kMillisecond);

// A skinned character-sized file: a 100 x 200 vertex sheet weighted to 20 bones.
std::string SkinnedSheet() {
    const int w = 100, h = 200, bones = 20;
    std::string x = "xof 0303txt 0032\nFrame Root {\n";
    for (int b = 0; b < bones; ++b) x += " Frame Bone" + std::to_string(b) + " { }\n";
    x += " Mesh Sheet {\n  " + std::to_string(w * h) + ";\n";
    for (int i = 0; i < w * h; ++i)
        x += "  " + std::to_string(i % w * 0.01f) + ";" + std::to_string(i / w * 0.01f) + ";0.000000;,\n";
    x.back() = '\n';
    x[x.size() - 2] = ';';
    x += "  " + std::to_string((w - 1) * (h - 1) * 2) + ";\n";
    for (int y = 0; y + 1 < h; ++y)
        for (int c = 0; c + 1 < w; ++c) {
            int a = y * w + c;
            x += "  3;" + std::to_string(a) + "," + std::to_string(a + w) + "," + std::to_string(a + 1) + ";,\n";
            x +=
                "  3;" + std::to_string(a + 1) + "," + std::to_string(a + w) + "," + std::to_string(a + w + 1) + ";,\n";
        }
    x += "  ;\n  MeshNormals { " + std::to_string(w * h) + ";\n";
    for (int i = 0; i < w * h; ++i) x += "   0.000000;0.000000;-1.000000;,\n";
    x += "   ;\n   1; 3;0,0,0;; }\n"; // deliberately short: replaced below
    x.erase(x.rfind("   1; 3;0,0,0;; }\n"));
    x += "   " + std::to_string((w - 1) * (h - 1) * 2) + ";\n";
    for (int y = 0; y + 1 < h; ++y)
        for (int c = 0; c + 1 < w; ++c) {
            int a = y * w + c;
            x += "   3;" + std::to_string(a) + "," + std::to_string(a + w) + "," + std::to_string(a + 1) + ";,\n";
            x += "   3;" + std::to_string(a + 1) + "," + std::to_string(a + w) + "," + std::to_string(a + w + 1) +
                 ";,\n";
        }
    x += "   ; }\n  MeshTextureCoords { " + std::to_string(w * h) + ";\n";
    for (int i = 0; i < w * h; ++i) x += "   0.500000;0.500000;,\n";
    x += "  ; }\n  XSkinMeshHeader { 2; 4; " + std::to_string(bones) + "; }\n";
    for (int b = 0; b < bones; ++b) {
        int rows = h / bones, first = b * rows * w, count = rows * w;
        x += "  SkinWeights { \"Bone" + std::to_string(b) + "\"; " + std::to_string(count) + ";\n";
        for (int i = 0; i < count; ++i) x += std::to_string(first + i) + (i + 1 < count ? "," : ";\n");
        for (int i = 0; i < count; ++i) x += std::string("1.000000") + (i + 1 < count ? "," : ";\n");
        x += "   1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n";
    }
    x += " }\n}\n";
    return x;
}

void BM_ParseSkinned20k(benchmark::State& state) {
    std::string text = SkinnedSheet();
    for (auto _ : state) {
        platform::xfile::Document doc;
        std::string error;
        if (!platform::xfile::ParseXFile(text.data(), text.size(), "sheet.x", &doc, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        benchmark::DoNotOptimize(doc.objects.size());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}
BENCHMARK(BM_ParseSkinned20k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
