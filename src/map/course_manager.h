// The course: the checkpoints taken out of the map, ordered by number, and their colour marking.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class CheckPoint;

class CourseManager {
public:
    static CourseManager& Instance() { return *Holder(); }
    // Starts from a fresh singleton (tests); checkpoints of the old one are deleted.
    static void ResetInstance();

    CourseManager() = default;
    CourseManager(const CourseManager&) = delete;
    CourseManager& operator=(const CourseManager&) = delete;
    ~CourseManager();

    // Moves every "CheckPoint" out of the map's object list into checkPoints, sorted by number.
    void CollectCheckPoints();
    // Marks checkpoint k as the current one, k + 1 as the next and the rest as other.
    void SetCurrentCheckPoint(std::int32_t k);
    // The game scene's release: Uninit and delete every checkpoint, then empty the list.
    void DeleteCheckPoints();

    std::vector<CheckPoint*> checkPoints; // owned

private:
    static std::unique_ptr<CourseManager>& Holder() {
        static std::unique_ptr<CourseManager> instance = std::make_unique<CourseManager>();
        return instance;
    }
};
