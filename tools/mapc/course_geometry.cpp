// mapc check: geometric course checks: checkpoints clear of the ground by their radius, sane gaps and turns
// between consecutive checkpoints, and no scenery reaching into a checkpoint's ring.
#include "course_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "course_map.h"
#include "course_models.h"

namespace mapc {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kGapSlack = 10.0;     // rings closer than their radii plus this could be passed as one
constexpr double kLongGap = 1000.0;    // beyond this the automatic pilot flies long without look-ahead
constexpr double kSharpTurn = 120.0;   // degrees: sharper turns make racers circle the checkpoint
constexpr double kWideTurn = 90.0;     // degrees: worth a note
constexpr double kSceneryMargin = 5.0; // the racers' reach: scenery this close to a ring is hit

double Scale(const std::array<float, 16>& m) {
    return std::max({Len({m[0], m[1], m[2]}), Len({m[4], m[5], m[6]}), Len({m[8], m[9], m[10]})});
}

// Closest point of triangle abc to p (Ericson, Real-Time Collision Detection 5.1.5).
V3 ClosestOnTriangle(V3 p, V3 a, V3 b, V3 c) {
    V3 ab = b - a, ac = c - a, ap = p - a;
    double d1 = Dot(ab, ap), d2 = Dot(ac, ap);
    if (d1 <= 0 && d2 <= 0) return a;
    V3 bp = p - b;
    double d3 = Dot(ab, bp), d4 = Dot(ac, bp);
    if (d3 >= 0 && d4 <= d3) return b;
    double vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0) return a + ab * (d1 / (d1 - d3));
    V3 cp = p - c;
    double d5 = Dot(ab, cp), d6 = Dot(ac, cp);
    if (d6 >= 0 && d5 <= d6) return c;
    double vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0) return a + ac * (d2 / (d2 - d6));
    double va = d3 * d6 - d5 * d4;
    if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0) return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
    double denom = 1 / (va + vb + vc);
    return a + ab * (vb * denom) + ac * (vc * denom);
}

struct Ring {
    int number;
    V3 centre;
    double radius;
};

class Checker {
public:
    Checker(const CourseMap& course, const std::string& textPath, const std::string& modelFolder)
        : map(course), source(textPath), modelDir(modelFolder) {}

    int Run() {
        CheckKinds();
        CollectRings();
        if (!rings.empty()) {
            CheckGround();
            CheckGapsAndTurns();
            CheckScenery();
        }
        std::printf("%s: %d problem(s)\n", problems == 0 ? "ok" : "FAIL", problems);
        return problems == 0 ? 0 : 1;
    }

private:
    void Problem(const std::string& text) {
        std::printf("  problem: %s\n", text.c_str());
        ++problems;
    }

    const Model* LoadModel(const std::string& kind) {
        auto known = models.find(kind);
        if (known != models.end()) return known->second.faces.empty() ? nullptr : &known->second;
        Model& model = models[kind];
        auto def = std::find_if(map.definitions.begin(), map.definitions.end(),
                                [&](const Definition& d) { return d.kind == kind; });
        std::string error;
        if (def != map.definitions.end() && !ReadModel(modelDir + "/" + def->modelFile, &model, &error)) {
            Problem(error);
            model.faces.clear();
        }
        return model.faces.empty() ? nullptr : &model;
    }

    // What compile refuses (numbering, model files, letter case, non-finite numbers), then the kinds
    // the compiler lets through but the game would skip.
    void CheckKinds() {
        for (const std::string& problem : CheckCourse(map, source, modelDir)) Problem(problem);
        std::set<std::string> defined;
        for (const Definition& d : map.definitions)
            if (!defined.insert(d.kind).second) Problem("kind " + d.kind + " is defined twice");
        for (const PlacedObject& o : map.objects)
            if (!defined.count(o.kind))
                Problem("objects of kind " + o.kind + " have no definition"), defined.insert(o.kind);
    }

    void CollectRings() {
        const Model* unit = LoadModel("CheckPoint");
        double unitRadius = 0;
        if (unit)
            for (const V3& v : unit->vertices) unitRadius = std::max(unitRadius, Len(v));
        for (const PlacedObject& o : map.objects)
            if (o.kind == "CheckPoint")
                rings.push_back({o.number, {o.matrix[12], o.matrix[13], o.matrix[14]}, unitRadius * Scale(o.matrix)});
        std::sort(rings.begin(), rings.end(), [](const Ring& a, const Ring& b) { return a.number < b.number; });
    }

    void CheckGround() {
        auto ground = std::find_if(map.objects.begin(), map.objects.end(),
                                   [](const PlacedObject& o) { return o.kind == "Ground"; });
        const Model* model = ground == map.objects.end() ? nullptr : LoadModel("Ground");
        if (!model) return Problem("no Ground to check the checkpoints' height against");
        Ground terrain(*model, ground->matrix);
        double lowest = INFINITY;
        int lowestAt = 0;
        for (const Ring& r : rings) {
            // the ring's whole sphere must clear the ground: the centre and eight points round it
            double top = terrain.HeightAt(r.centre.x, r.centre.z);
            for (int k = 0; k < 8; ++k)
                top = std::max(top, terrain.HeightAt(r.centre.x + r.radius * std::cos(k * kPi / 4),
                                                     r.centre.z + r.radius * std::sin(k * kPi / 4)));
            if (top == -INFINITY) {
                Problem("checkpoint " + std::to_string(r.number) + " is not over the ground");
                continue;
            }
            double clearance = r.centre.y - r.radius - top;
            if (clearance < lowest) lowest = clearance, lowestAt = r.number;
            if (clearance < 0)
                Problem("checkpoint " + std::to_string(r.number) + " dips " + Fixed(-clearance) +
                        " units into the ground (its radius " + Fixed(r.radius) + ")");
        }
        std::printf("  lowest ring clearance above ground: %s at checkpoint %d\n", Fixed(lowest).c_str(), lowestAt);
    }

    void CheckGapsAndTurns() {
        double lap = 0, shortest = INFINITY, longest = 0, sharpest = 0;
        int sharpestAt = 0;
        const std::size_t n = rings.size();
        for (std::size_t i = 0; i < n; ++i) {
            const Ring &a = rings[i], &b = rings[(i + 1) % n], &c = rings[(i + 2) % n];
            double gap = Len(b.centre - a.centre);
            lap += gap;
            shortest = std::min(shortest, gap), longest = std::max(longest, gap);
            if (n > 1 && gap < a.radius + b.radius + kGapSlack)
                Problem("checkpoints " + std::to_string(a.number) + " and " + std::to_string(b.number) + " are " +
                        Fixed(gap) + " apart: their rings nearly touch");
            if (gap > kLongGap)
                std::printf("  note: %s units from checkpoint %d to %d\n", Fixed(gap).c_str(), a.number, b.number);
            if (n < 3) continue;
            V3 in = b.centre - a.centre, out = c.centre - b.centre;
            in.y = out.y = 0;
            double cosine = Dot(in, out) / std::max(1e-9, Len(in) * Len(out));
            double turn = std::acos(std::clamp(cosine, -1.0, 1.0)) * 180 / kPi;
            if (turn > sharpest) sharpest = turn, sharpestAt = b.number;
            if (turn > kSharpTurn)
                Problem("the turn at checkpoint " + std::to_string(b.number) + " is " + Fixed(turn) + " degrees");
            else if (turn > kWideTurn)
                std::printf("  note: %s degree turn at checkpoint %d\n", Fixed(turn).c_str(), b.number);
        }
        std::printf("  %zu checkpoints, lap %s units, gaps %s to %s, sharpest turn %s degrees at checkpoint %d\n", n,
                    Fixed(lap).c_str(), Fixed(shortest).c_str(), Fixed(longest).c_str(), Fixed(sharpest).c_str(),
                    sharpestAt);
    }

    void CheckScenery() {
        for (const PlacedObject& o : map.objects) {
            if (o.kind == "Ground" || o.kind == "CheckPoint") continue;
            const Model* model = LoadModel(o.kind);
            if (!model) continue;
            std::vector<V3> points;
            double reach = 0;
            for (const V3& v : model->vertices) {
                points.push_back(Transform(o.matrix, v));
                reach = std::max(reach, Len(points.back() - V3{o.matrix[12], o.matrix[13], o.matrix[14]}));
            }
            for (const Ring& r : rings) {
                const double limit = r.radius + kSceneryMargin;
                if (Len(r.centre - V3{o.matrix[12], o.matrix[13], o.matrix[14]}) > reach + limit) continue;
                for (const auto& f : model->faces) {
                    V3 p = ClosestOnTriangle(r.centre, points[std::size_t(f[0])], points[std::size_t(f[1])],
                                             points[std::size_t(f[2])]);
                    if (Len(p - r.centre) < limit) {
                        Problem("a " + o.kind + " at (" + Fixed(o.matrix[12]) + ", " + Fixed(o.matrix[13]) + ", " +
                                Fixed(o.matrix[14]) + ") reaches into checkpoint " + std::to_string(r.number) +
                                "'s ring");
                        break;
                    }
                }
            }
        }
    }

    static std::string Fixed(double v) {
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", v);
        return text;
    }

    const CourseMap& map;
    std::string source;
    std::string modelDir;
    std::map<std::string, Model> models;
    std::vector<Ring> rings;
    int problems = 0;
};

} // namespace

int CheckCourseGeometry(const std::string& textPath, const std::string& modelDir) {
    std::ifstream in(textPath, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "mapc: cannot read %s\n", textPath.c_str());
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    CourseMap map = ParseCourseText(text.str(), textPath); // the compiler's own checks: throws on the first
    std::printf("%s\n", textPath.c_str());
    return Checker(map, textPath, modelDir).Run();
}

} // namespace mapc
