// What mapc refuses in a course that parses: anything the game would drop, misread or not race.
#include "course_map.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <map>
#include <utility>

namespace mapc {
namespace {

// The kinds the game gives a class of their own; it compares names exactly.
constexpr const char* kGameKinds[] = {"church", "WindTower", "kosciol", "CheckPoint", "Sail"};
constexpr const char* kCheckPoint = "CheckPoint";

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

void CheckCheckPoints(const CourseMap& map, Problems& problems) {
    std::vector<const PlacedObject*> points;
    for (const PlacedObject& o : map.objects) {
        if (!Finite(o.matrix)) problems.Add(o.line, "the matrix holds a number that is not finite");
        else if (o.kind == kCheckPoint) points.push_back(&o);
    }
    if (points.empty()) {
        problems.AddWhole("no CheckPoint objects; the game cannot race a course without checkpoints");
        return;
    }
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
}

} // namespace

std::vector<std::string> CheckCourse(const CourseMap& map, const std::string& source, const std::string& modelFolder) {
    Problems problems(source);
    CheckDefinitions(map, modelFolder, problems);
    CheckCheckPoints(map, problems);
    return problems.Sorted();
}

} // namespace mapc
