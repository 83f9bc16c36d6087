// The course as the game loads it: checkpoint numbering, radii, heights, lap length, clear legs
// for the automatic pilot, the start area, the scenery standing on the ground.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "../../tools/contentgen/terrain.h"
#include "support/content_files.h"

using namespace content_test;

namespace {

const D3DXVECTOR3 kGrid{750, 50, -1020};

struct Placed {
    std::string kind;
    D3DXMATRIX world;
    int number;
};

struct Box {
    D3DXVECTOR3 lo, hi;
};

class Course : public testing::Test {
protected:
    static void SetUpTestSuite() {
        MapFile map;
        ASSERT_TRUE(ReadMapFile("data/Map/map2.map", &map));
        for (const MapEntry& o : map.objects) placed_.push_back({o.name, o.world, o.number});
        for (const MapDefinition& d : map.definitions) models_.emplace(d.kind, d.modelFile);
    }

    static const PlainMesh& Model(const std::string& kind) {
        static std::map<std::string, PlainMesh> cache;
        auto it = cache.find(kind);
        if (it == cache.end()) {
            PlainMesh mesh;
            EXPECT_TRUE(ReadFirstMesh("data/MapObject/" + models_.at(kind), &mesh)) << kind;
            it = cache.emplace(kind, mesh).first;
        }
        return it->second;
    }

    // The game's bounding radius: farthest vertex with the row lengths of the matrix applied.
    static float Radius(const Placed& p) {
        float s[3];
        for (int r = 0; r < 3; ++r)
            s[r] = std::sqrt(p.world.m[r][0] * p.world.m[r][0] + p.world.m[r][1] * p.world.m[r][1] +
                             p.world.m[r][2] * p.world.m[r][2]);
        float best = 0;
        for (const D3DXVECTOR3& v : Model(p.kind).positions)
            best = std::max(best, std::hypot(v.x * s[0], v.y * s[1], v.z * s[2]));
        return best;
    }

    static Box WorldBox(const Placed& p) {
        Box b{{1e9f, 1e9f, 1e9f}, {-1e9f, -1e9f, -1e9f}};
        for (const D3DXVECTOR3& v : Model(p.kind).positions) {
            D3DXVECTOR3 w;
            D3DXVec3TransformCoord(&w, &v, &p.world);
            b.lo = {std::min(b.lo.x, w.x), std::min(b.lo.y, w.y), std::min(b.lo.z, w.z)};
            b.hi = {std::max(b.hi.x, w.x), std::max(b.hi.y, w.y), std::max(b.hi.z, w.z)};
        }
        return b;
    }

    static std::vector<D3DXVECTOR3> CheckPoints() {
        std::vector<std::pair<int, D3DXVECTOR3>> cps;
        for (const Placed& p : placed_)
            if (p.kind == "CheckPoint") cps.push_back({p.number, MatrixPosition(p.world)});
        std::sort(cps.begin(), cps.end(), [](auto& a, auto& b) { return a.first < b.first; });
        std::vector<D3DXVECTOR3> out;
        for (auto& c : cps) out.push_back(c.second);
        return out;
    }

    static std::vector<Placed> placed_;
    static std::map<std::string, std::string> models_;
};

std::vector<Placed> Course::placed_;
std::map<std::string, std::string> Course::models_;

bool SegmentHitsBox(D3DXVECTOR3 a, D3DXVECTOR3 b, const Box& box) {
    float t0 = 0, t1 = 1;
    const float pa[3] = {a.x, a.y, a.z}, pb[3] = {b.x, b.y, b.z};
    const float lo[3] = {box.lo.x, box.lo.y, box.lo.z}, hi[3] = {box.hi.x, box.hi.y, box.hi.z};
    for (int k = 0; k < 3; ++k) {
        float d = pb[k] - pa[k];
        if (std::fabs(d) < 1e-9f) {
            if (pa[k] < lo[k] || pa[k] > hi[k]) return false;
            continue;
        }
        float e0 = (lo[k] - pa[k]) / d, e1 = (hi[k] - pa[k]) / d;
        if (e0 > e1) std::swap(e0, e1);
        t0 = std::max(t0, e0), t1 = std::min(t1, e1);
        if (t0 > t1) return false;
    }
    return true;
}

TEST_F(Course, CheckPointsAreNumberedFromZeroWithoutGaps) {
    std::vector<int> numbers;
    for (const Placed& p : placed_)
        if (p.kind == "CheckPoint") numbers.push_back(p.number);
    std::sort(numbers.begin(), numbers.end());
    ASSERT_GE(numbers.size(), 10u);
    ASSERT_LE(numbers.size(), 16u);
    for (size_t i = 0; i < numbers.size(); ++i) EXPECT_EQ(numbers[i], int(i));
}

TEST_F(Course, EveryKindHasItsModelAndKindsAreTheGamesOwn) {
    for (const char* kind : {"Ground", "church", "kosciol", "WindTower", "Sail", "CheckPoint"}) {
        ASSERT_TRUE(models_.count(kind)) << kind;
        EXPECT_GT(Model(kind).faces.size(), 0u) << kind;
        for (const auto& f : Model(kind).faces)
            for (int c : f) ASSERT_LT(size_t(c), Model(kind).positions.size()) << kind;
        EXPECT_LT(Model(kind).positions.size(), 65535u) << kind;
    }
    for (const Placed& p : placed_) EXPECT_TRUE(models_.count(p.kind)) << p.kind;
}

TEST_F(Course, CheckPointRadiiAndHeightsAboveTheGround) {
    for (const Placed& p : placed_) {
        if (p.kind != "CheckPoint") continue;
        float r = Radius(p);
        EXPECT_GE(r, 15.0f) << p.number;
        EXPECT_LE(r, 30.0f) << p.number;
        D3DXVECTOR3 c = MatrixPosition(p.world);
        double above = c.y - terrain::MeshHeight(c.x, c.z);
        EXPECT_GE(above, 15.0) << "checkpoint " << p.number;
        EXPECT_LE(above, 80.0) << "checkpoint " << p.number;
    }
}

TEST_F(Course, GroundMeshIsTheHeightFormula) {
    const PlainMesh& ground = Model("Ground");
    EXPECT_GE(ground.faces.size(), 16000u);
    EXPECT_LE(ground.faces.size(), 40000u);
    float minX = 1e9f, maxX = -1e9f;
    for (size_t i = 0; i < ground.positions.size(); i += 37) {
        const D3DXVECTOR3& v = ground.positions[i];
        EXPECT_NEAR(v.y, terrain::Height(v.x, v.z), 1e-3) << v.x << "," << v.z;
        minX = std::min(minX, v.x), maxX = std::max(maxX, v.x);
    }
    EXPECT_NEAR(maxX - minX, 2400.0f, 60.0f);
    // Faces point up, so the game's face normals push racers out of the ground, not into it.
    for (size_t f = 0; f < ground.faces.size(); f += 101) {
        D3DXVECTOR3 a = ground.positions[size_t(ground.faces[f][0])], b = ground.positions[size_t(ground.faces[f][1])],
                    c = ground.positions[size_t(ground.faces[f][2])], ab = b - a, ac = c - a, n;
        D3DXVec3Cross(&n, &ab, &ac);
        EXPECT_GT(n.y, 0.0f) << f;
    }
}

TEST_F(Course, LapStartAndFinishAreWhereTheRacersAre) {
    std::vector<D3DXVECTOR3> cps = CheckPoints();
    double lap = 0;
    for (size_t i = 0; i < cps.size(); ++i) {
        D3DXVECTOR3 d = cps[(i + 1) % cps.size()] - cps[i];
        lap += D3DXVec3Length(&d);
    }
    EXPECT_GE(lap, 4000.0);
    EXPECT_LE(lap, 6000.0);
    D3DXVECTOR3 toFirst = cps.front() - kGrid, toLast = cps.back() - kGrid;
    EXPECT_LT(toFirst.x, 0.0f) << "the first checkpoint lies ahead of the grid, along -X";
    EXPECT_GT(-toFirst.x, 3 * std::fabs(toFirst.z));
    EXPECT_LT(D3DXVec3Length(&toLast), 300.0f) << "the last checkpoint is near the start";
    for (double a = 0; a < 6.283; a += 0.1)
        for (double r = 0; r <= 100; r += 10)
            EXPECT_LT(terrain::MeshHeight(kGrid.x + r * std::cos(a), kGrid.z + r * std::sin(a)), 40.0);
}

TEST_F(Course, LegsAreFlyableByTheAutomaticPilot) {
    std::vector<D3DXVECTOR3> path = CheckPoints();
    path.insert(path.begin(), kGrid);
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        D3DXVECTOR3 a = path[i], b = path[i + 1], d = b - a;
        // Ground clearance along the straight line the pilot aims along.
        for (int k = 0; k <= 400; ++k) {
            D3DXVECTOR3 p = a + d * (k / 400.0f);
            ASSERT_GT(p.y - terrain::MeshHeight(p.x, p.z), 12.0) << "leg " << i << " step " << k;
        }
        // Turns stay within what a racer at speed can follow (turn circle about 160 units).
        if (i + 2 < path.size() && i > 0) {
            D3DXVECTOR3 e = path[i + 2] - b;
            float cosTurn = (d.x * e.x + d.z * e.z) / (std::hypot(d.x, d.z) * std::hypot(e.x, e.z));
            EXPECT_GT(cosTurn, std::cos(70 * 3.14159f / 180)) << "turn at checkpoint " << i;
            EXPECT_GT(D3DXVec3Length(&e), 180.0f);
        }
        // No scenery on the line: the ray the pilot plans along must not hit a building, a tower or a sail.
        for (const Placed& p : placed_) {
            if (p.kind == "Ground" || p.kind == "CheckPoint") continue;
            Box box = WorldBox(p);
            box.lo = box.lo - D3DXVECTOR3(6, 6, 6);
            box.hi = box.hi + D3DXVECTOR3(6, 6, 6);
            EXPECT_FALSE(SegmentHitsBox(a, b, box)) << "leg " << i << " crosses a " << p.kind;
        }
    }
}

TEST_F(Course, SceneryStandsOnTheGroundNearTheLine) {
    std::vector<D3DXVECTOR3> cps = CheckPoints();
    int towers = 0, sails = 0, nearLine = 0;
    for (const Placed& p : placed_) {
        if (p.kind == "Ground" || p.kind == "CheckPoint") continue;
        D3DXVECTOR3 pos = MatrixPosition(p.world);
        if (p.kind != "Sail") {
            Box box = WorldBox(p);
            double highest = -1e9;
            for (float x = box.lo.x; x <= box.hi.x; x += 2)
                for (float z = box.lo.z; z <= box.hi.z; z += 2)
                    if (std::hypot(x - pos.x, z - pos.z) < 8) highest = std::max(highest, terrain::MeshHeight(x, z));
            EXPECT_LE(box.lo.y, highest) << p.kind << " floats above the ground at " << pos.x << "," << pos.z;
            EXPECT_NEAR(pos.y, terrain::MeshHeight(pos.x, pos.z), 12.0) << p.kind;
        }
        if (p.kind == "WindTower") {
            ++towers;
            bool hasSail = false;
            for (const Placed& s : placed_) {
                D3DXVECTOR3 d = MatrixPosition(s.world) - pos;
                hasSail = hasSail || (s.kind == "Sail" && std::hypot(d.x, d.z) < 12 && d.y > 35 && d.y < 50);
            }
            EXPECT_TRUE(hasSail) << "tower at " << pos.x << "," << pos.z;
        }
        sails += p.kind == "Sail";
        float nearest = 1e9f;
        for (size_t i = 0; i < cps.size(); ++i) {
            D3DXVECTOR3 a = cps[i], b = cps[(i + 1) % cps.size()], ab = b - a, ap = pos - a;
            float t = std::clamp(D3DXVec3Dot(&ap, &ab) / D3DXVec3Dot(&ab, &ab), 0.0f, 1.0f);
            D3DXVECTOR3 q = a + ab * t - pos;
            nearest = std::min(nearest, std::hypot(q.x, q.z));
        }
        nearLine += nearest < 200;
    }
    EXPECT_GE(towers, 3);
    EXPECT_EQ(sails, towers);
    EXPECT_GE(nearLine, 8) << "scenery should line the course";
}

// The ground's lowest level, where it lies flat over much of Sunset Coast, is open sea: the
// scenery's feet all stand on land.
TEST(GeneratedCourse, SunsetCoastSceneryStandsOnLand) {
    MapFile map;
    ASSERT_TRUE(ReadMapFile("data/Map/evening.map", &map));
    PlainMesh ground;
    for (const MapDefinition& d : map.definitions) {
        if (d.kind != "Ground") continue;
        ASSERT_TRUE(ReadFirstMesh("data/MapObject/" + d.modelFile, &ground));
    }
    ASSERT_FALSE(ground.positions.empty());
    float sea = 1e9f;
    for (const D3DXVECTOR3& v : ground.positions) sea = std::min(sea, v.y);
    const auto atSea = std::count_if(ground.positions.begin(), ground.positions.end(),
                                     [sea](const D3DXVECTOR3& v) { return v.y == sea; });
    ASSERT_GT(atSea, 1000) << "no sea";
    int standing = 0;
    for (const MapEntry& o : map.objects) {
        if (o.name == "Ground" || o.name == "CheckPoint") continue;
        const D3DXVECTOR3 foot = MatrixPosition(o.world);
        const D3DXVECTOR3* nearest = &ground.positions.front();
        for (const D3DXVECTOR3& v : ground.positions)
            if (std::hypot(v.x - foot.x, v.z - foot.z) < std::hypot(nearest->x - foot.x, nearest->z - foot.z))
                nearest = &v;
        EXPECT_GT(nearest->y, sea) << o.name << " stands in the sea at " << foot.x << "," << foot.z;
        ++standing;
    }
    EXPECT_GE(standing, 20);
}

} // namespace
