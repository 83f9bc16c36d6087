// The session's championship, checked against the courses this game can race.
#include "scenes/race_session.h"

#include <algorithm>

#include "map/course_list.h"

bool RaceSession::CanGoOn() const {
    if (!championship || championship->Finished()) return false;
    const std::vector<std::string> known = ChampionshipCourses();
    return std::all_of(championship->courses.begin(), championship->courses.end(),
                       [&](const std::string& id) { return std::find(known.begin(), known.end(), id) != known.end(); });
}

std::vector<std::string> ChampionshipCourses() {
    const CourseList& list = CourseList::Instance();
    std::vector<std::string> ids;
    for (const CourseEntry& course : list.courses) ids.push_back(course.id);
    if (ids.empty()) ids.push_back(list.Selected().id);
    return ids;
}
