// Map kinds and models: the factory's exact keys, shared models, radius, face normals, visibility.
#include <gtest/gtest.h>

#include <typeinfo>

#include "effects/effect_manager.h"
#include "map/check_point.h"
#include "map/church.h"
#include "map/course_manager.h"
#include "map/kosciol.h"
#include "map/map_manager.h"
#include "map/map_object_factory.h"
#include "support/map_test_util.h"
#include "map/object_mesh.h"
#include "map/parent_map_object.h"
#include "map/sail.h"
#include "map/wind_tower.h"
#include "render/graphics_device.h"

using maptest::MapBytes;

namespace {

TEST(MapObjectFactory, KeysAreExactAndCaseSensitive) {
    EXPECT_EQ(typeid(*NEditer::CreateMapObject("church")), typeid(Church));
    EXPECT_EQ(typeid(*NEditer::CreateMapObject("WindTower")), typeid(WindTower));
    EXPECT_EQ(typeid(*NEditer::CreateMapObject("kosciol")), typeid(Kosciol));
    EXPECT_EQ(typeid(*NEditer::CreateMapObject("CheckPoint")), typeid(CheckPoint));
    EXPECT_EQ(typeid(*NEditer::CreateMapObject("Sail")), typeid(Sail));
    for (const char* other : {"Church", "windtower", "WINDTOWER", "checkpoint", "sail", "church ", "Ground"})
        EXPECT_EQ(typeid(*NEditer::CreateMapObject(other)), typeid(NEditer::MapObject)) << other;
    EXPECT_EQ(NEditer::CreateMapObject(""), nullptr);
    auto fresh = NEditer::CreateMapObject("CheckPoint");
    EXPECT_TRUE(fresh->visible);
    EXPECT_EQ(fresh->mesh, nullptr);
    EXPECT_EQ(fresh->number, 0);
    EXPECT_EQ(fresh->radius, 0.0f);
    EXPECT_EQ(static_cast<CheckPoint&>(*fresh).state, CheckPoint::kOther);
    EXPECT_FALSE(static_cast<CheckPoint&>(*fresh).fading);
}

class MapModelTest : public maptest::FreshSingletons, public ::testing::Test {
protected:
    void Load(const MapBytes& file) {
        maptest::WriteFile("data/Map/map2.map", file.bytes);
        map.LoadMap();
        map.LoadModels(GraphicsDevice::Instance().device.get());
    }

    maptest::TempGameDir dir;
    MapManager& map = MapManager::Instance();
};

TEST_F(MapModelTest, RadiusCarriesTheObjectsAxisScales) {
    maptest::WriteFile("data/MapObject/far3.x", maptest::Tetrahedron(3));
    maptest::WriteFile("data/MapObject/up1.x", maptest::XModel({{0, 1, 0}, {0.5f, 0, 0}, {0, 0, 0.5f}}, {{0, 1, 2}}));
    MapBytes file;
    file.Int32(1).Def("rock", "far3.x").Def("pole", "up1.x").Str("enddefine");
    file.Object("rock", MatrixScaling(2, 2, 2) * maptest::At(10, 0, 0), 0);
    file.Object("pole", MatrixScaling(1, 4, 1), 0).Str("end");
    Load(file);
    ASSERT_EQ(map.objects.size(), 2u);
    EXPECT_FLOAT_EQ(map.objects[0]->radius, 6.0f);
    EXPECT_FLOAT_EQ(map.objects[1]->radius, 4.0f);
}

TEST_F(MapModelTest, ObjectsWithoutAModelAreDropped) {
    maptest::WriteFile("data/MapObject/far3.x", maptest::Tetrahedron(3));
    maptest::WriteFile("data/MapObject/broken.x", "xof 0303txt 0032\nMesh { 3; oops");
    MapBytes file;
    file.Int32(1).Def("rock", "far3.x").Def("bad", "broken.x").Def("gone", "missing.x").Str("enddefine");
    file.Object("rock", maptest::At(1, 0, 0), 1).Object("undefined", maptest::At(2, 0, 0), 2);
    file.Object("bad", maptest::At(3, 0, 0), 3).Object("gone", maptest::At(4, 0, 0), 4);
    file.Object("rock", maptest::At(5, 0, 0), 5).Str("end");
    Load(file);
    ASSERT_EQ(map.objects.size(), 2u);
    EXPECT_EQ(map.objects[0]->number, 1);
    EXPECT_EQ(map.objects[1]->number, 5);
    for (NEditer::MapObject* object : map.objects) EXPECT_TRUE(object->HasLoadedMesh());
    // A kind whose model did not load has no face normals and is never retried.
    EXPECT_TRUE(map.FindDefinition("bad")->faceNormals.empty());
    EXPECT_FALSE(map.FindDefinition("bad")->HasLoadedMesh());
    map.DrawObjects(); // nothing without a model reaches the shader
}

TEST_F(MapModelTest, SecondLoadReusesModelsAndKeepsOneNormalPerFace) {
    maptest::WriteFile("data/MapObject/far3.x", maptest::Tetrahedron(3));
    MapBytes file;
    file.Int32(1).Def("rock", "far3.x").Str("enddefine").Object("rock", MatrixIdentity(), 0).Str("end");
    Load(file);
    NEditer::ParentMapObject* kind = map.FindDefinition("rock");
    ASSERT_NE(kind, nullptr);
    NEditer::ObjectMesh* model = kind->GetMesh();
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->fileName, "far3.x");
    EXPECT_EQ(model->materialCount, 1);
    EXPECT_EQ(model->mesh->GetFVF(), NEditer::ObjectMesh::kVertexFormat);
    EXPECT_EQ(model->mesh->GetNumBytesPerVertex(), NEditer::ObjectMesh::kVertexSize);
    ASSERT_EQ(kind->faceNormals.size(), 4u);
    // Face 0 is (0,0,0) (3,0,0) (0,1,0): (3,0,0) x (0,1,0) = (0,0,3), unnormalised.
    EXPECT_EQ(kind->faceNormals[0], D3DXVECTOR3(0, 0, 3));

    map.DeleteObjects();
    Load(file);
    EXPECT_EQ(map.FindDefinition("rock")->GetMesh(), model);
    EXPECT_EQ(map.FindDefinition("rock")->faceNormals.size(), 4u);
    ASSERT_EQ(map.objects.size(), 1u);
    EXPECT_EQ(map.objects[0]->mesh, model);
}

class VisibilityTest : public maptest::FreshSingletons, public ::testing::Test {
protected:
    void SetUp() override {
        // Four side planes far behind the view point accept everything.
        for (int i = 0; i < 4; ++i) {
            map.planeNormals[i] = D3DXVECTOR3(0, 0, 1);
            map.planePoints[i] = D3DXVECTOR3(0, 0, -1e6f);
        }
    }
    MapManager& map = MapManager::Instance();
};

TEST_F(VisibilityTest, DistanceLimitIs700PlusRadius) {
    const D3DXVECTOR3 eye(0, 0, 0);
    EXPECT_TRUE(map.IsVisible({0, 0, 710}, 10, eye));
    EXPECT_FALSE(map.IsVisible({0, 0, 710.1f}, 10, eye));
    EXPECT_TRUE(map.IsVisible({0, 0, 700}, 0, eye));
    EXPECT_FALSE(map.IsVisible({0, 0, 700.1f}, 0, eye));
}

TEST_F(VisibilityTest, ObjectStraddlingASidePlaneStaysVisible) {
    map.planeNormals[1] = D3DXVECTOR3(1, 0, 0); // the right plane through the origin, facing +X
    map.planePoints[1] = D3DXVECTOR3(0, 0, 0);
    const D3DXVECTOR3 eye(0, 0, -10);
    EXPECT_TRUE(map.IsVisible({-4.9f, 0, 0}, 5, eye));
    EXPECT_TRUE(map.IsVisible({-5.0f, 0, 0}, 5, eye));
    EXPECT_FALSE(map.IsVisible({-5.1f, 0, 0}, 5, eye));

    auto object = NEditer::CreateMapObject("church");
    object->world = maptest::At(-20, 0, 0);
    object->radius = 5;
    map.objects.push_back(object.release());
    map.UpdateVisibility(eye);
    EXPECT_FALSE(map.objects[0]->visible);
    map.objects[0]->world = maptest::At(-2, 0, 0);
    map.UpdateVisibility(eye);
    EXPECT_TRUE(map.objects[0]->visible);
}

} // namespace
