// CMesh: textures found beside the model, Ambient taken from Diffuse, drawing, release, the cache.
#include <gtest/gtest.h>

#include "platform/image/png_image.h"
#include "simplelib/mesh.h"
#include "simplelib/model_fixture.h"
#include "support/x_samples.h"

namespace {

const char* kSky = R"(xof 0303txt 0032
Mesh Dome { 4; 0;0;0;, 0;1;0;, 1;1;0;, 1;0;0;; 2; 3;0,1,2;, 3;0,2,3;;
  MeshTextureCoords { 4; 0;0;, 0;1;, 1;1;, 1;0;; }
  MeshMaterialList { 2; 2; 0, 1;;
    Material { 0.5;0.6;0.7;1.0;; 4; 1;1;1;; 0;0;0;; TextureFilename { "sky.png"; } }
    Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }
)";

std::string WriteSky() {
    std::string path = xsamples::WriteFile("SkySphere/Sky.x", kSky);
    platform::image::Image image;
    image.width = image.height = 4;
    image.pixels.assign(16, 0xFF3366CCu);
    std::string error;
    EXPECT_TRUE(platform::image::SavePng((xsamples::TempDir() / "SkySphere" / "sky.png").string(), image, &error))
        << error;
    return path;
}

} // namespace

using StaticMesh = ModelTest;

TEST_F(StaticMesh, LoadsTexturesFromTheModelsFolderAndSetsAmbientToDiffuse) {
    std::string path = WriteSky();
    SimpleLib::CMesh sky;
    ASSERT_TRUE(sky.Load(GraphicsDevice::Instance().device.get(), path));
    EXPECT_EQ(sky.fileName, "Sky.x");
    ASSERT_EQ(sky.materialCount, 2);
    EXPECT_EQ(sky.textures[0].path, (xsamples::TempDir() / "SkySphere" / "sky.png").string());
    EXPECT_TRUE(sky.textures[0].texture);
    EXPECT_FALSE(sky.textures[1].texture); // no texture name: drawn untextured
    EXPECT_EQ(sky.materials[0].Ambient, D3DXCOLOR(0.5f, 0.6f, 0.7f, 1.0f));
    EXPECT_EQ(sky.adjacency.size(), 6u);

    gpu::Device& device = *GraphicsDevice::Instance().device;
    auto before = device.Counters();
    sky.Draw();
    EXPECT_EQ(device.Counters().draws - before.draws, 2u);

    sky.Release();
    EXPECT_EQ(sky.materialCount, 0);
    EXPECT_FALSE(sky.mesh);
    EXPECT_TRUE(sky.fileName.empty());
    before = device.Counters();
    sky.Draw();
    EXPECT_EQ(device.Counters().draws, before.draws);
}

TEST_F(StaticMesh, AFileThatDoesNotLoadLeavesAnEmptyMeshTheCacheRemembers) {
    auto& cache = ResourceCache::Instance();
    auto broom = cache.GetMesh("data/XFile/none/houki.x");
    ASSERT_TRUE(broom);
    EXPECT_FALSE(broom->mesh);
    EXPECT_EQ(broom->materialCount, 0);
    EXPECT_EQ(cache.GetMesh("data/XFile/none/houki.x"), broom);
    std::string path = WriteSky();
    auto sky = cache.GetMesh(path);
    EXPECT_TRUE(sky->mesh);
    EXPECT_EQ(cache.GetMesh(path), sky);
}
