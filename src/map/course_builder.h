// The race's Course, taken from the loaded map: its scenery and checkpoints, and the chosen
// course's start grid.
#pragma once

#include "race/course.h"

class MapManager;
class CourseManager;
struct CourseEntry;

race::Course BuildCourse(const MapManager& map, const CourseManager& checkPoints, const CourseEntry& entry);
