// What mapc refuses in a course that parses: anything the game would drop, misread or not race.
#include "course_map.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <cstdio>
#include <map>
#include <utility>

#include "course_models.h"

namespace mapc {
namespace {

// The kinds the game gives a class of their own; it compares names exactly.
constexpr const char* kGameKinds[] = {"church", "WindTower", "kosciol", "CheckPoint", "Sail"};
constexpr const char* kCheckPoint = "CheckPoint";
constexpr const char* kGround = "Ground";
// Fewer make no lap: the racers would finish as they leave the grid.
constexpr std::size_t kFewestCheckPoints = 3;

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool Finite(const std::array<float, 16>& m) {
    return std::all_of(m.begin(), m.end(), [](float v) { return std::isfinite(v); });
}

// The game measures a checkpoint by its model scaled by the lengths of the matrix's axis rows.
bool HasSize(const std::array<float, 16>& m) {
    for (int row = 0; row < 3; ++row)
        if (m[row * 4] != 0 || m[row * 4 + 1] != 0 || m[row * 4 + 2] != 0) return true;
    return false;
}

class Problems {
public:
    explicit Problems(std::string source) : source_(std::move(source)) {}
    void Add(int line, const std::string& reason) {
        list_.emplace_back(line, source_ + ":" + std::to_string(line) + ": " + reason);
    }
    void AddWhole(const std::string& reason) { list_.emplace_back(1 << 30, source_ + ": " + reason); }
    std::vector<std::string> Sorted() {
        std::stable_sort(list_.begin(), list_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<std::string> out;
        for (auto& [line, text] : list_) out.push_back(std::move(text));
        return out;
    }

private:
    std::string source_;
    std::vector<std::pair<int, std::string>> list_;
};

void CheckDefinitions(const CourseMap& map, const std::string& modelFolder, Problems& problems) {
    for (const Definition& d : map.definitions) {
        for (const char* key : kGameKinds)
            if (d.kind != key && SameIgnoringCase(d.kind, key))
                problems.Add(d.line, "kind '" + d.kind + "' differs from the game's '" + key +
                                         "' only in letter case; the game would place it as plain scenery");
        std::error_code ec;
        if (!std::filesystem::is_regular_file(std::filesystem::path(modelFolder) / d.modelFile, ec))
            problems.Add(d.line, "model file '" + d.modelFile + "' is not in " + modelFolder);
    }
}

std::string Fixed(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

// The placed model of the first object of `kind` (the game uses a kind's first definition); false
// when mapc cannot read it, and `check` says why.
bool LoadKindModel(const CourseMap& map, const std::string& kind, const std::string& modelFolder, Model* model) {
    auto def = std::find_if(map.definitions.begin(), map.definitions.end(),
                            [&](const Definition& d) { return d.kind == kind; });
    std::string error;
    return def != map.definitions.end() &&
           ReadModel((std::filesystem::path(modelFolder) / def->modelFile).string(), model, &error);
}

std::string Named(const PlacedObject& p) { return "checkpoint " + std::to_string(p.number); }

// A ring whose centre lies under the ground can never be flown through: the racers meet the ground
// first, and the race goes on for ever.
void CheckRingsAboveGround(const CourseMap& map, const std::vector<const PlacedObject*>& points,
                           const std::string& modelFolder, Problems& problems) {
    auto ground = std::find_if(map.objects.begin(), map.objects.end(),
                               [](const PlacedObject& o) { return o.kind == kGround && Finite(o.matrix); });
    Model model;
    if (ground == map.objects.end() || !LoadKindModel(map, kGround, modelFolder, &model)) return;
    const Ground terrain(model, ground->matrix);
    for (const PlacedObject* p : points) {
        const double height = terrain.HeightAt(p->matrix[12], p->matrix[14]);
        if (height == -INFINITY || p->matrix[13] >= height) continue;
        problems.Add(p->line, Named(*p) + "'s centre is " + Fixed(height - p->matrix[13]) +
                                  " units under the ground (ground at " + Fixed(height) +
                                  "): no racer can fly through it");
    }
}

// Rings whose centres lie within a passage radius of each other are passed as one.
void CheckRingsApart(const CourseMap& map, const std::vector<const PlacedObject*>& points,
                     const std::string& modelFolder, Problems& problems) {
    Model unit;
    if (!LoadKindModel(map, kCheckPoint, modelFolder, &unit)) return;
    for (std::size_t j = 1; j < points.size(); ++j) {
        const PlacedObject& b = *points[j];
        for (std::size_t i = 0; i < j; ++i) {
            const PlacedObject& a = *points[i];
            const double radius = std::max(PassageRadius(unit, a.matrix), PassageRadius(unit, b.matrix));
            const double gap =
                Len(V3{a.matrix[12], a.matrix[13], a.matrix[14]} - V3{b.matrix[12], b.matrix[13], b.matrix[14]});
            if (gap >= radius) continue;
            problems.Add(b.line, Named(b) + " is " + Fixed(gap) + " from " + Named(a) + " (line " +
                                     std::to_string(a.line) + "), closer than their radius " + Fixed(radius) +
                                     ": passing one passes both");
            break;
        }
    }
}

// The checkpoints that have a place to be raced, after their numbering and size are checked.
std::vector<const PlacedObject*> CheckCheckPoints(const CourseMap& map, Problems& problems) {
    std::vector<const PlacedObject*> points;
    for (const PlacedObject& o : map.objects) {
        if (!Finite(o.matrix)) problems.Add(o.line, "the matrix holds a number that is not finite");
        else if (o.kind == kCheckPoint) points.push_back(&o);
    }
    if (points.empty()) {
        problems.AddWhole("no CheckPoint objects; the game cannot race a course without checkpoints");
        return points;
    }
    if (points.size() < kFewestCheckPoints)
        problems.AddWhole("only " + std::to_string(points.size()) + " checkpoint(s); a lap needs at least " +
                          std::to_string(kFewestCheckPoints));
    const auto count = static_cast<std::int64_t>(points.size());
    std::map<std::int32_t, int> firstLine;
    for (const PlacedObject* p : points) {
        if (!HasSize(p->matrix)) problems.Add(p->line, "a checkpoint scaled to nothing has no radius to pass through");
        const std::string number = "checkpoint number " + std::to_string(p->number);
        if (p->number < 0 || p->number >= count) {
            problems.Add(p->line, number + " is outside 0 to " + std::to_string(count - 1) + ": the " +
                                      std::to_string(count) + " checkpoints must be numbered 0 to " +
                                      std::to_string(count - 1) + " without gaps");
        } else if (auto [it, added] = firstLine.emplace(p->number, p->line); !added) {
            problems.Add(p->line, number + " is used again (first on line " + std::to_string(it->second) + ")");
        }
    }
    return points;
}

} // namespace

std::vector<std::string> CheckCourse(const CourseMap& map, const std::string& source, const std::string& modelFolder) {
    Problems problems(source);
    CheckDefinitions(map, modelFolder, problems);
    std::vector<const PlacedObject*> points = CheckCheckPoints(map, problems);
    CheckRingsAboveGround(map, points, modelFolder, problems);
    CheckRingsApart(map, points, modelFolder, problems);
    return problems.Sorted();
}

} // namespace mapc
