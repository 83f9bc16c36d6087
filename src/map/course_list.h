// CourseList: the courses a player can race, read from data/Map/courses.ini, and the one chosen.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/math/d3dx_math.h"

namespace platform::ini {
struct File;
}

// One course: its map, where the grid stands and the look of its world.
struct CourseEntry {
    std::string id;   // the map file's stem ("map2"); records and ghosts are kept under it
    std::string name; // shown on the title
    std::string mapPath;
    std::string skyPath;
    std::string previewPath; // may name no file: the title then shows the name alone
    std::string music = "BGM";
    D3DXVECTOR3 start{750.0f, 50.0f, -1020.0f};
    float heading = 270.0f;
    D3DXVECTOR4 fog{0, 0, 0, 0}; // rgb and strength; strength 0 leaves the world unfogged
    D3DXVECTOR3 lightDirection{0.5f, -1.0f, 0.0f};
    D3DXVECTOR3 lightDiffuse{1, 1, 1};
    D3DXVECTOR3 lightAmbient{1, 1, 1};
};

class CourseList {
public:
    static CourseList& Instance() { return *Holder(); }
    // Starts from a fresh list holding nothing but the built-in course (tests).
    static void ResetInstance() { Holder() = std::make_unique<CourseList>(); }

    static constexpr const char* kPath = "data/Map/courses.ini";

    // The course the game races when there is no course file: the shipped map and grid.
    static CourseEntry BuiltIn();

    // Reads the course file. Entries naming missing files or holding bad values are left out with
    // one stderr line each. A file that cannot be opened keeps the built-in course (and says so);
    // false only when the file was read and no course in it is usable.
    bool Load(const std::string& path);
    // Parses course-file text; `where` names the file in messages. Same result as Load.
    bool LoadText(const std::string& text, const std::string& where);

    // The chosen course; the built-in one while the list is empty.
    const CourseEntry& Selected() const;
    // Chooses by id or display name (case-insensitive); false when no course matches.
    bool Select(const std::string& idOrName);
    // One step left (-1) or right (+1) through the list, wrapping round.
    void Step(int direction);

    std::vector<CourseEntry> courses;
    std::size_t selected = 0;

private:
    bool Accept(const platform::ini::File& file, const std::string& where);

    static std::unique_ptr<CourseList>& Holder() {
        static std::unique_ptr<CourseList> instance = std::make_unique<CourseList>();
        return instance;
    }
};
