// The race's course taken from a loaded map: which scenery the automatic pilot treats as the ground.
#include <gtest/gtest.h>

#include <string>

#include "map/course_builder.h"
#include "map/course_list.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "map/map_object.h"

namespace {

TEST(BuildCourse, OnlyTheKindNamedExactlyGroundIsTheGround) {
    const char* kinds[] = {"Ground", "ground", "Ground ", "GROUND", "church"};
    MapManager map;
    for (const char* kind : kinds) {
        auto* object = new NEditer::MapObject();
        object->name = kind;
        map.objects.push_back(object);
    }
    const CourseManager checkPoints;
    const race::Course course = BuildCourse(map, checkPoints, CourseEntry{});
    ASSERT_EQ(course.objects.size(), std::size(kinds));
    for (std::size_t i = 0; i < course.objects.size(); ++i)
        EXPECT_EQ(course.objects[i].ground, std::string(kinds[i]) == "Ground") << "kind '" << kinds[i] << "'";
}

} // namespace
