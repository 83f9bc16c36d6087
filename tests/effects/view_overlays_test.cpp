// The screen fade and dim overlays and the view frustum planes.
#include <cmath>

#include "support/game_test_support.h"
#include "scenes/camera.h"

namespace {

class OverlayTest : public GameShellTest {};

TEST_F(OverlayTest, CreateOverlaysMakesAWhiteTexelFadeCoveringTheScreenAndAOnePixelDim) {
    MapManager& map = MapManager::Instance();
    EXPECT_EQ(map.fadeTexture.info.Width, 1u);
    EXPECT_EQ(map.fadeTexture.rect, (RECT{0, 0, 1280, 720}));
    EXPECT_EQ(map.dimTexture.rect, (RECT{0, 0, 1, 1}));
    EXPECT_TRUE(map.fadingIn);
    EXPECT_FALSE(map.active);
    EXPECT_EQ(map.camera, nullptr);
    EXPECT_EQ(map.cameraRotation, MatrixIdentity());
    gpu::LockedRect locked;
    ASSERT_TRUE(map.fadeTexture.texture->LockRect(&locked));
    EXPECT_EQ(*static_cast<std::uint32_t*>(locked.pBits), 0xFFFFFFFFu);
    map.fadeTexture.texture->UnlockRect();
}

TEST_F(OverlayTest, FadeOutDraws3FirstAndEndsOnThe86thFrame) {
    MapManager& map = MapManager::Instance();
    map.fadingIn = false;
    map.active = true;
    map.alpha = 0;
    std::vector<D3DCOLOR> colours;
    int frames = 0;
    while (map.active && frames < 200) {
        map.StepFade();
        map.DrawFade();
        ++frames;
        colours.push_back(sprite->draws.back().colour);
        if (frames == 85) { EXPECT_TRUE(map.active); }
    }
    EXPECT_EQ(frames, 86);
    EXPECT_EQ(colours.front(), 0x03FFFFFFu);
    EXPECT_EQ(colours[84], 0xFFFFFFFFu);
    EXPECT_EQ(colours[85], 0xFFFFFFFFu);
    EXPECT_EQ(map.alpha, 255);
    EXPECT_EQ(sprite->draws.back().texture, map.fadeTexture.texture.get());
    EXPECT_EQ(sprite->draws.back().source, (RECT{0, 0, 1280, 720}));
    EXPECT_EQ(sprite->draws.back().transform, MatrixIdentity());
}

TEST_F(OverlayTest, FadeInFallsBy3AndAnInactiveFadeDrawsNothing) {
    MapManager& map = MapManager::Instance();
    map.fadingIn = true;
    map.active = true;
    map.alpha = 255;
    map.StepFade();
    map.DrawFade();
    EXPECT_EQ(sprite->draws.back().colour, (252u << 24) | 0xFFFFFF);
    for (int i = 0; i < 85; ++i) {
        map.StepFade();
        map.DrawFade();
        map.DrawFade(); // drawing twice moves nothing
    }
    EXPECT_FALSE(map.active);
    EXPECT_EQ(map.alpha, 0);
    std::size_t drawn = sprite->draws.size();
    EXPECT_EQ(drawn, 1u + 85u * 2u);
    map.alpha = 120;
    map.StepFade();
    map.DrawFade();
    EXPECT_EQ(sprite->draws.size(), drawn) << "inactive: nothing drawn whatever the alpha";
    EXPECT_EQ(map.alpha, 120);
}

TEST_F(OverlayTest, DimStretchesTheWhitePixelOverTheScreenInBlack) {
    MapManager& map = MapManager::Instance();
    map.DrawDim(0);
    map.DrawDim(150);
    ASSERT_EQ(sprite->draws.size(), 2u);
    EXPECT_EQ(sprite->draws[0].colour, 0x00000000u);
    EXPECT_EQ(sprite->draws[1].colour, 0x96000000u);
    EXPECT_EQ(sprite->draws[1].source, (RECT{0, 0, 1280, 720}));
    EXPECT_EQ(sprite->draws[1].texture, map.dimTexture.texture.get());
}

TEST_F(OverlayTest, FrustumCornersAndPlaneNormalsForTheGameView) {
    MapManager& map = MapManager::Instance();
    const float fovY = 1.0471976f;
    map.SetFrustum(1280.0f / 720.0f, fovY, 2000);
    float h = 2000 * std::tan(fovY / 2);
    EXPECT_NEAR(2 * h, 2309.4f, 0.1f);
    EXPECT_NEAR(map.corners[0].x, -h * 1280.0f / 720.0f, 1e-2f);
    EXPECT_NEAR(map.corners[2].x, -map.corners[0].x, 1e-3f);
    EXPECT_NEAR(map.corners[2].y, -h, 1e-3f);
    EXPECT_EQ(map.corners[2].z, 2000);
    EXPECT_EQ(map.planePoints[3], map.corners[3]);
    Camera camera;
    map.camera = &camera;
    map.UpdateFrustum();
    D3DXVECTOR3 expected(0, -2000, 2000 * std::tan(fovY / 2)), top;
    D3DXVec3Normalize(&top, &expected);
    EXPECT_NEAR(map.planeNormals[0].x, top.x, 1e-5f);
    EXPECT_NEAR(map.planeNormals[0].y, top.y, 1e-5f);
    EXPECT_NEAR(map.planeNormals[0].z, top.z, 1e-5f);
    EXPECT_LT(map.planeNormals[1].x, 0) << "right plane points left, into the view";
    EXPECT_GT(map.planeNormals[2].y, 0) << "bottom plane points up";
    EXPECT_GT(map.planeNormals[3].x, 0) << "left plane points right";
}

TEST_F(OverlayTest, FrustumFollowsTheCameraAndCullsSpheres) {
    MapManager& map = MapManager::Instance();
    map.SetFrustum(1280.0f / 720.0f, 1.0471976f, 2000);
    Camera camera;
    // Turned 90 degrees right (looking along +X) and standing at (100, 0, 0).
    camera.world = MatrixRotationY(D3DX_PI / 2) * MatrixTranslation(100, 0, 0);
    map.camera = &camera;
    map.UpdateFrustum();
    EXPECT_FALSE(map.OutsideFrustum({600, 0, 0}, 1)) << "straight ahead";
    EXPECT_TRUE(map.OutsideFrustum({0, 0, 0}, 1)) << "behind the eye";
    EXPECT_TRUE(map.OutsideFrustum({600, 0, 2000}, 1)) << "far to the left";
    EXPECT_FALSE(map.OutsideFrustum({0, 0, 0}, 150)) << "a big enough sphere reaches into the view";
    EXPECT_NEAR(map.planePoints[0].x, 2100, 1e-2f);
    map.camera = nullptr;
    map.UpdateFrustum(); // outside the race: nothing to follow, nothing changes
    EXPECT_NEAR(map.planePoints[0].x, 2100, 1e-2f);
}

} // namespace
