// The course: collects the checkpoints from the map and tells each one its colour state.
#include "map/course_manager.h"

#include <algorithm>

#include "map/check_point.h"
#include "map/map_manager.h"

void CourseManager::ResetInstance() { Holder() = std::make_unique<CourseManager>(); }

CourseManager::~CourseManager() { DeleteCheckPoints(); }

void CourseManager::CollectCheckPoints() {
    auto& objects = MapManager::Instance().objects;
    std::vector<std::size_t> taken;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (objects[i]->name != "CheckPoint") continue;
        auto* point = dynamic_cast<CheckPoint*>(objects[i]);
        if (!point) continue; // only the factory's CheckPoint class can take part in the course
        checkPoints.push_back(point);
        taken.push_back(i);
    }
    // Highest position first, so each erase leaves the remaining positions valid.
    for (auto it = taken.rbegin(); it != taken.rend(); ++it) objects.erase(objects.begin() + *it);
    std::stable_sort(checkPoints.begin(), checkPoints.end(),
                     [](const CheckPoint* a, const CheckPoint* b) { return a->number < b->number; });
}

void CourseManager::SetCurrentCheckPoint(std::int32_t k) {
    for (CheckPoint* point : checkPoints) point->Aim(point->number, k);
}

void CourseManager::DeleteCheckPoints() {
    for (CheckPoint* point : checkPoints) {
        point->Uninit();
        delete point;
    }
    checkPoints.clear();
}
