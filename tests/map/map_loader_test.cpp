// The map file loader: the byte format, its terminators, and what a damaged file leaves behind.
#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <typeinfo>

#include "map/check_point.h"
#include "map/church.h"
#include "map/map_manager.h"
#include "map/map_object.h"
#include "map/parent_map_object.h"
#include "support/map_test_util.h"

using maptest::At;
using maptest::MapBytes;
using Result = MapManager::LoadResult;

namespace {

// The dynamic type of an object; typeid straight on a call would run the call inside typeid.
const std::type_info& KindOf(const NEditer::MapObject& object) { return typeid(object); }

class MapLoaderTest : public maptest::FreshSingletons, public ::testing::Test {
protected:
    MapManager& map = MapManager::Instance();
    D3DXMATRIX placed = D3DXMATRIX(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
};

TEST_F(MapLoaderTest, OnlyTerminatorsGiveAnEmptyMap) {
    MapBytes file;
    file.Int32(1).Str("enddefine").Str("end");
    EXPECT_EQ(map.LoadMapFromMemory(file.Data(), file.Size()), Result::Ok);
    EXPECT_TRUE(map.definitions.empty());
    EXPECT_TRUE(map.objects.empty());
}

TEST_F(MapLoaderTest, OtherVersionsLoadNothing) {
    for (std::int32_t version : {0, 2, -1}) {
        MapBytes file;
        file.Int32(version).Def("church", "church.x").Str("enddefine").Object("church", placed, 0).Str("end");
        EXPECT_EQ(map.LoadMapFromMemory(file.Data(), file.Size()), Result::WrongVersion);
        EXPECT_TRUE(map.definitions.empty());
        EXPECT_TRUE(map.objects.empty());
    }
}

TEST_F(MapLoaderTest, ObjectsKeepFileOrderMatrixAndNumber) {
    MapBytes file;
    file.Int32(1).Def("church", "c.x").Def("Ground", "g.x").Str("enddefine");
    file.Object("Ground", MatrixIdentity(), 7).Object("church", placed, -3).Object("Tree", At(1, 2, 3), 9).Str("end");
    ASSERT_EQ(map.LoadMapFromMemory(file.Data(), file.Size()), Result::Ok);
    ASSERT_EQ(map.objects.size(), 3u);
    EXPECT_EQ(map.objects[0]->name, "Ground");
    EXPECT_EQ(map.objects[0]->number, 7);
    EXPECT_EQ(map.objects[1]->name, "church");
    EXPECT_EQ(map.objects[1]->world, placed);
    EXPECT_EQ(map.objects[1]->number, -3);
    EXPECT_EQ(KindOf(*map.objects[1]), typeid(Church));
    EXPECT_EQ(map.objects[2]->name, "Tree"); // no class of its own: a plain object
    EXPECT_EQ(KindOf(*map.objects[2]), typeid(NEditer::MapObject));
    EXPECT_TRUE(map.objects[2]->visible);
    EXPECT_EQ(map.objects[2]->mesh, nullptr);
    ASSERT_NE(map.FindDefinition("Ground"), nullptr);
    EXPECT_EQ(map.FindDefinition("Ground")->modelFile, "g.x");
    EXPECT_EQ(map.FindDefinition("ground"), nullptr);
}

TEST_F(MapLoaderTest, ObjectsWithNonFiniteMatricesAreDroppedAndNamed) {
    D3DXMATRIX infinite = placed;
    infinite._11 = std::numeric_limits<float>::infinity();
    D3DXMATRIX notANumber = placed;
    notANumber._43 = std::numeric_limits<float>::quiet_NaN();
    MapBytes file;
    file.Int32(1).Def("church", "c.x").Str("enddefine");
    file.Object("church", infinite, 1).Object("church", placed, 2).Object("Tree", notANumber, 3).Str("end");
    testing::internal::CaptureStderr();
    ASSERT_EQ(map.LoadMapFromMemory(file.Data(), file.Size()), Result::Ok);
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_EQ(map.objects.size(), 1u);
    EXPECT_EQ(map.objects[0]->number, 2);
    EXPECT_NE(log.find("map: object 1 (church, number 1) dropped: its world matrix holds NaN or infinity"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("map: object 3 (Tree, number 3) dropped"), std::string::npos) << log;
}

TEST_F(MapLoaderTest, FirstDefinitionOfAKindWins) {
    MapBytes file;
    file.Int32(1).Def("church", "first.x").Def("church", "second.x").Str("enddefine").Str("end");
    ASSERT_EQ(map.LoadMapFromMemory(file.Data(), file.Size()), Result::Ok);
    ASSERT_EQ(map.definitions.size(), 1u);
    EXPECT_EQ(map.FindDefinition("church")->modelFile, "first.x");
}

TEST_F(MapLoaderTest, EnddefineAlwaysEndsTheDefinitions) {
    // What looks like the model file of an "enddefine" kind is read as the first object's kind.
    MapBytes file;
    file.Int32(1).Str("enddefine").Object("church", placed, 4).Str("end");
    ASSERT_EQ(map.LoadMapFromMemory(file.Data(), file.Size()), Result::Ok);
    EXPECT_TRUE(map.definitions.empty());
    ASSERT_EQ(map.objects.size(), 1u);
    EXPECT_EQ(map.objects[0]->name, "church");
    EXPECT_EQ(map.objects[0]->number, 4);
}

TEST_F(MapLoaderTest, TerminatorsAreWholeExactStrings) {
    MapBytes file;
    file.Int32(1).Def("Enddefine", "a.x").Def("enddefine ", "b.x").Str("enddefine");
    file.Object("End", placed, 1).Object("end ", placed, 2).Str("end");
    ASSERT_EQ(map.LoadMapFromMemory(file.Data(), file.Size()), Result::Ok);
    EXPECT_EQ(map.definitions.size(), 2u);
    ASSERT_EQ(map.objects.size(), 2u);
    EXPECT_EQ(map.objects[1]->name, "end ");
}

TEST_F(MapLoaderTest, NameIsCutAtTheFirstZeroByte) {
    MapBytes file;
    file.Int32(1).Str(std::string("church\0\0pad", 11)).Str(std::string("c.x\0junk", 8)).Str("enddefine");
    file.Str(std::string("church\0xyzw", 11)).Matrix(placed).Int32(5).Str(std::string("end\0", 4));
    ASSERT_EQ(map.LoadMapFromMemory(file.Data(), file.Size()), Result::Ok);
    ASSERT_NE(map.FindDefinition("church"), nullptr);
    EXPECT_EQ(map.FindDefinition("church")->modelFile, "c.x");
    ASSERT_EQ(map.objects.size(), 1u);
    EXPECT_EQ(map.objects[0]->name, "church");
    EXPECT_EQ(KindOf(*map.objects[0]), typeid(Church));
}

TEST_F(MapLoaderTest, EmptyKindNameConsumesItsEntryAndPlacesNothing) {
    MapBytes file;
    file.Int32(1).Str("enddefine").Object("", placed, 1).Object("church", At(5, 6, 7), 2).Str("end");
    ASSERT_EQ(map.LoadMapFromMemory(file.Data(), file.Size()), Result::Ok);
    ASSERT_EQ(map.objects.size(), 1u);
    EXPECT_EQ(map.objects[0]->name, "church");
    EXPECT_EQ(map.objects[0]->number, 2);
    EXPECT_EQ(MatrixPosition(map.objects[0]->world), D3DXVECTOR3(5, 6, 7));
}

TEST_F(MapLoaderTest, LengthByteOf128OrMoreStopsTheLoad) {
    MapBytes file;
    file.Int32(1).Def("church", "c.x").Str("enddefine").Object("church", placed, 1);
    file.Raw(std::string(1, '\x80') + std::string(200, 'a')).Object("church", placed, 2).Str("end");
    EXPECT_EQ(map.LoadMapFromMemory(file.Data(), file.Size()), Result::BadLength);
    ASSERT_EQ(map.objects.size(), 1u); // what came before the fault stays
    EXPECT_EQ(map.objects[0]->number, 1);

    ResetAll();
    MapBytes definition;
    definition.Int32(1).Raw(std::string(1, '\xFF') + std::string(255, 'k')).Str("x.x").Str("enddefine").Str("end");
    EXPECT_EQ(MapManager::Instance().LoadMapFromMemory(definition.Data(), definition.Size()), Result::BadLength);
    EXPECT_TRUE(MapManager::Instance().definitions.empty());
}

TEST_F(MapLoaderTest, LongestNameIs127Bytes) {
    std::string longest(127, 'q');
    MapBytes file;
    file.Int32(1).Def(longest, "m.x").Str("enddefine").Object(longest, placed, 0).Str("end");
    ASSERT_EQ(map.LoadMapFromMemory(file.Data(), file.Size()), Result::Ok);
    ASSERT_EQ(map.objects.size(), 1u);
    EXPECT_EQ(map.objects[0]->name, longest);
}

TEST_F(MapLoaderTest, FileEndingEarlyStopsAtTheEnd) {
    MapBytes full;
    full.Int32(1).Def("church", "c.x").Str("enddefine").Object("church", placed, 1).Object("church", placed, 2);
    full.Str("end");
    // Every cut short of the whole file is reported; complete objects before the cut stay.
    for (std::size_t cut = 0; cut < full.Size(); ++cut) {
        ResetAll();
        MapManager& m = MapManager::Instance();
        Result r = m.LoadMapFromMemory(full.Data(), cut);
        EXPECT_NE(r, Result::Ok) << "cut at " << cut;
        EXPECT_LE(m.objects.size(), 2u);
        for (NEditer::MapObject* object : m.objects) EXPECT_EQ(object->world, placed);
    }
    ResetAll();
    // Cut inside the second object: only the first stays.
    std::size_t second = full.Size() - 4 /*"end"*/ - 68 - 7;
    EXPECT_EQ(MapManager::Instance().LoadMapFromMemory(full.Data(), second + 30), Result::Truncated);
    EXPECT_EQ(MapManager::Instance().objects.size(), 1u);
}

TEST_F(MapLoaderTest, LoadMapReadsTheFixedPath) {
    maptest::TempGameDir dir;
    EXPECT_EQ(map.LoadMapFile(MapManager::kMapPath), Result::Missing);
    map.LoadMap(); // a missing file is not an error the game shows
    EXPECT_TRUE(map.objects.empty());
    MapBytes file;
    file.Int32(1).Str("enddefine").Object("Sail", placed, 3).Str("end");
    maptest::WriteFile("data/Map/map2.map", file.bytes);
    map.LoadMap();
    ASSERT_EQ(map.objects.size(), 1u);
    EXPECT_EQ(map.objects[0]->name, "Sail");
}

TEST_F(MapLoaderTest, DeleteObjectsKeepsTheKinds) {
    MapBytes file;
    file.Int32(1).Def("church", "c.x").Str("enddefine").Object("church", placed, 1).Str("end");
    ASSERT_EQ(map.LoadMapFromMemory(file.Data(), file.Size()), Result::Ok);
    map.DeleteObjects();
    EXPECT_TRUE(map.objects.empty());
    EXPECT_EQ(map.definitions.size(), 1u);
    ASSERT_EQ(map.LoadMapFromMemory(file.Data(), file.Size()), Result::Ok);
    map.ClearMap();
    EXPECT_TRUE(map.objects.empty());
    EXPECT_TRUE(map.definitions.empty());
}

TEST_F(MapLoaderTest, DamagedBytesNeverBreakTheLoader) {
    MapBytes good;
    good.Int32(1).Def("church", "c.x").Def("CheckPoint", "g.x").Str("enddefine");
    for (int i = 0; i < 6; ++i) good.Object(i % 2 ? "church" : "CheckPoint", placed, i);
    good.Str("end");
    std::mt19937 random(1234);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes = good.bytes;
        for (int flips = 1 + round % 8; flips > 0; --flips)
            bytes[random() % bytes.size()] = static_cast<char>(random() & 0xFF);
        bytes.resize(random() % (bytes.size() + 1));
        ResetAll();
        MapManager& m = MapManager::Instance();
        m.LoadMapFromMemory(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        for (NEditer::MapObject* object : m.objects) {
            ASSERT_FALSE(object->name.empty());
            ASSERT_LE(object->name.size(), 127u);
        }
        for (const auto& [kind, definition] : m.definitions) ASSERT_LE(kind.size(), 127u);
        ASSERT_LE(m.objects.size(), 6u + bytes.size() / 69);
    }
}

} // namespace
