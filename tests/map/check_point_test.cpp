// Checkpoints, their colour states and fades, the sorted course list, and the spinning sail.
#include <gtest/gtest.h>

#include <limits>
#include <tuple>
#include <vector>

#include "effects/base_effect.h"
#include "effects/effect_manager.h"
#include "map/check_point.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "race/course.h"
#include "support/map_test_util.h"
#include "map/sail.h"
#include "render/graphics_device.h"

using maptest::MapBytes;

namespace {

class CourseTest : public maptest::FreshSingletons, public ::testing::Test {
protected:
    void SetUp() override {
        maptest::WriteFile("data/MapObject/gate.x", maptest::Tetrahedron(3));
        std::filesystem::create_directories("data/Effect");
    }
    // Loads the objects as the game scene does, then collects the checkpoints.
    void Load(MapBytes& objects) {
        MapBytes file;
        file.Int32(1).Def("CheckPoint", "gate.x").Def("church", "gate.x").Def("Sail", "gate.x").Str("enddefine");
        file.Raw(objects.bytes).Str("end");
        maptest::WriteFile("data/Map/map2.map", file.bytes);
        EffectManager::Instance().LoadTextures();
        MapManager::Instance().LoadMap();
        MapManager::Instance().LoadModels(GraphicsDevice::Instance().device.get());
        course.CollectCheckPoints();
    }
    void Frame(std::int32_t current) {
        course.SetCurrentCheckPoint(current);
        for (CheckPoint* point : course.checkPoints) point->Update();
    }
    static const BaseEffect* Circle(const CheckPoint* point) { return EffectManager::Instance().Get(point->effect); }
    static void ExpectColour(const CheckPoint* point, int r, int g, int b) {
        EXPECT_EQ(point->red, r);
        EXPECT_EQ(point->green, g);
        EXPECT_EQ(point->blue, b);
        EXPECT_EQ(Circle(point)->red, r);
        EXPECT_EQ(Circle(point)->green, g);
        EXPECT_EQ(Circle(point)->blue, b);
        EXPECT_EQ(Circle(point)->alpha, 255);
    }

    maptest::TempGameDir dir;
    CourseManager& course = CourseManager::Instance();
};

TEST_F(CourseTest, CheckPointsLeaveTheMapSortedAndOthersKeepTheirOrder) {
    MapBytes objects;
    objects.Object("church", maptest::At(1, 0, 0), 10).Object("CheckPoint", maptest::At(0, 0, 2), 2);
    objects.Object("Sail", maptest::At(2, 0, 0), 11).Object("CheckPoint", maptest::At(0, 0, 0), 0);
    objects.Object("CheckPoint", maptest::At(0, 0, 1), 1).Object("church", maptest::At(3, 0, 0), 12);
    Load(objects);
    auto& left = MapManager::Instance().objects;
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(left[0]->number, 10);
    EXPECT_EQ(left[1]->number, 11);
    EXPECT_EQ(left[2]->number, 12);
    ASSERT_EQ(course.checkPoints.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(course.checkPoints[i]->number, i);
        EXPECT_EQ(MatrixPosition(course.checkPoints[i]->world).z, static_cast<float>(i));
    }
}

TEST_F(CourseTest, MapWithoutCheckPointsLeavesTheCourseEmpty) {
    MapBytes objects;
    objects.Object("church", maptest::At(1, 0, 0), 0);
    Load(objects);
    EXPECT_TRUE(course.checkPoints.empty());
    EXPECT_EQ(MapManager::Instance().objects.size(), 1u);
}

TEST_F(CourseTest, ColoursAtStartAndCircleSizedByRadius) {
    MapBytes objects;
    for (int i = 0; i < 4; ++i) objects.Object("CheckPoint", MatrixScaling(3, 3, 3) * maptest::At(0, 0, i * 10.0f), i);
    Load(objects);
    ASSERT_EQ(course.checkPoints.size(), 4u);
    Frame(0);
    ExpectColour(course.checkPoints[0], 255, 0, 0);
    ExpectColour(course.checkPoints[1], 255, 255, 0);
    ExpectColour(course.checkPoints[2], 255, 255, 255);
    ExpectColour(course.checkPoints[3], 255, 255, 255);
    for (CheckPoint* point : course.checkPoints) {
        EXPECT_FALSE(point->fading);
        EXPECT_FLOAT_EQ(point->radius, 9.0f); // model reaches 3, scaled by 3
        EXPECT_FLOAT_EQ(Circle(point)->halfWidth, point->radius);
        EXPECT_FLOAT_EQ(Circle(point)->halfHeight, point->radius);
        EXPECT_EQ(Circle(point)->name, "magiccircle");
    }
    EXPECT_EQ(MatrixPosition(Circle(course.checkPoints[2])->position), D3DXVECTOR3(0, 0, 20));
    EXPECT_EQ(Circle(course.checkPoints[0])->vertices[0].color, 0xFFFF0000u);
}

TEST_F(CourseTest, MovingOnFadesEveryChangedStateIn52Frames) {
    MapBytes objects;
    for (int i = 0; i < 4; ++i) objects.Object("CheckPoint", maptest::At(0, 0, i * 10.0f), i);
    Load(objects);
    auto& p = course.checkPoints;
    // A split-screen view's own copy of the colours walks exactly as the gates' do.
    std::vector<CheckPointColour> view;
    for (const CheckPoint* point : p) view.push_back(CheckPointColour::Initial(point->number));
    const auto sameAsView = [&] {
        for (std::size_t i = 0; i < p.size(); ++i) {
            view[i].Aim(p[i]->number, 1);
            view[i].Step();
            ASSERT_EQ(std::tie(view[i].red, view[i].green, view[i].blue, view[i].fading),
                      std::tie(p[i]->red, p[i]->green, p[i]->blue, p[i]->fading))
                << "checkpoint " << i;
        }
    };
    for (int frame = 1; frame <= 51; ++frame) {
        Frame(1);
        sameAsView();
        ASSERT_EQ(p[0]->green, 5 * frame);
        ASSERT_EQ(p[0]->blue, 5 * frame);
        ASSERT_EQ(p[1]->green, 255 - 5 * frame);
        ASSERT_EQ(p[2]->blue, 255 - 5 * frame);
        ASSERT_TRUE(p[0]->fading && p[1]->fading && p[2]->fading);
        ASSERT_FALSE(p[3]->fading);
    }
    Frame(1); // the 52nd step passes the end, clamps and ends the fade
    sameAsView();
    ExpectColour(p[0], 255, 255, 255);
    ExpectColour(p[1], 255, 0, 0);
    ExpectColour(p[2], 255, 255, 0);
    ExpectColour(p[3], 255, 255, 255);
    for (CheckPoint* point : p) EXPECT_FALSE(point->fading);
}

TEST_F(CourseTest, YellowStraightToWhiteJumpsGreenToBlue) {
    MapBytes objects;
    for (int i = 0; i < 4; ++i) objects.Object("CheckPoint", maptest::At(0, 0, i * 10.0f), i);
    Load(objects);
    Frame(2); // checkpoint 1 goes from yellow (255, 255, 0) to white
    EXPECT_EQ(course.checkPoints[1]->blue, 5);
    EXPECT_EQ(course.checkPoints[1]->green, 5);
    Frame(2);
    EXPECT_EQ(course.checkPoints[1]->green, 10);
    EXPECT_EQ(course.checkPoints[1]->blue, 10);
}

// Numbers must run 0 .. n-1, each once: a repeat is dropped on its own, anything else leaves no
// course (and no circle on screen), which the race scene then handles as a map without checkpoints.
TEST_F(CourseTest, BrokenCheckPointChainsAreReportedAndLeaveNoCourse) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    D3DXMATRIX poisoned = maptest::At(0, 0, 5);
    poisoned._42 = nan;
    struct Case {
        const char* name;
        std::vector<std::pair<D3DXMATRIX, std::int32_t>> points;
        std::size_t kept;
        const char* message;
    } cases[] = {
        {"gap",
         {{maptest::At(0, 0, 0), 0}, {maptest::At(0, 0, 1), 1}, {maptest::At(0, 0, 3), 3}},
         0,
         "no usable checkpoints: the 3 checkpoint(s) must be numbered 0 to 2, but 2 is missing"},
        {"from one", {{maptest::At(0, 0, 1), 1}, {maptest::At(0, 0, 2), 2}}, 0, "but 0 is missing"},
        {"repeat",
         {{maptest::At(0, 0, 0), 0}, {maptest::At(0, 0, 1), 1}, {maptest::At(0, 0, 9), 1}, {maptest::At(0, 0, 2), 2}},
         3,
         "object 3 (CheckPoint, number 1) dropped: checkpoint number 1 is already taken by object 2"},
        {"NaN",
         {{maptest::At(0, 0, 0), 0}, {poisoned, 1}, {maptest::At(0, 0, 2), 2}},
         0,
         "object 2 (CheckPoint, number 1) dropped: its world matrix holds NaN or infinity"},
        {"no size",
         {{maptest::At(0, 0, 0), 0}, {MatrixScaling(0, 0, 0), 1}, {maptest::At(0, 0, 2), 2}},
         0,
         "object 2 (CheckPoint, number 1) dropped: a checkpoint needs a radius above 0"},
    };
    for (const Case& c : cases) {
        CourseManager::Instance().DeleteCheckPoints();
        MapManager::Instance().DeleteObjects();
        EffectManager::Instance().Clear();
        MapBytes objects;
        for (const auto& [world, number] : c.points) objects.Object("CheckPoint", world, number);
        objects.Object("church", maptest::At(5, 0, 0), 0);
        testing::internal::CaptureStderr();
        Load(objects);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find(c.message), std::string::npos) << c.name << ": " << log;
        ASSERT_EQ(course.checkPoints.size(), c.kept) << c.name;
        for (std::size_t i = 0; i < c.kept; ++i) EXPECT_EQ(course.checkPoints[i]->number, std::int32_t(i)) << c.name;
        EXPECT_EQ(EffectManager::Instance().LiveCount(), c.kept) << c.name << ": one circle per kept checkpoint";
        EXPECT_EQ(MapManager::Instance().objects.size(), 1u) << c.name << ": the scenery stays";
    }
}

TEST_F(CourseTest, SailTurnsOneDegreeAFrameAtItsPlace) {
    MapBytes objects;
    objects.Object("Sail", maptest::At(100, 20, -5), 0);
    Load(objects);
    auto* sail = dynamic_cast<Sail*>(MapManager::Instance().objects.at(0));
    ASSERT_NE(sail, nullptr);
    const float radius = sail->radius;
    MapManager& map = MapManager::Instance();
    race::Course raced;
    raced.AddObject(race::CourseObject{"Sail", sail->PlacedWorld(), sail->radius, false, nullptr, nullptr, true});
    map.ShowRace(raced, 90);
    D3DXMATRIX expected = MatrixRotationY(D3DX_PI) * MatrixRotationX(D3DX_PI / 2) * maptest::At(100, 20, -5);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(sail->world(r, c), expected(r, c), 1e-4f) << r << "," << c;
    EXPECT_EQ(sail->radius, radius);
}

} // namespace
