// BuildCourse: the map's placed objects (checkpoints already taken out) in map order, each kind's
// collision model and face normals shared, and the checkpoints in flying order.
#include "map/course_builder.h"

#include <map>

#include "map/check_point.h"
#include "map/course_list.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "map/map_object.h"
#include "map/object_mesh.h"
#include "map/parent_map_object.h"

namespace {
constexpr const char* kGroundKind = "Ground"; // the automatic pilot never plans round the ground
}

race::Course BuildCourse(const MapManager& map, const CourseManager& checkPoints, const CourseEntry& entry) {
    race::Course course;
    course.start = entry.start;
    course.heading = entry.heading;
    std::map<std::string, std::shared_ptr<const std::vector<D3DXVECTOR3>>> normalsOfKind;
    for (const NEditer::MapObject* placed : map.objects) {
        race::CourseObject object;
        object.kind = placed->name;
        object.world = placed->PlacedWorld();
        object.radius = placed->radius;
        object.ground = placed->name == kGroundKind;
        object.spins = placed->Spins();
        if (placed->mesh) object.mesh = placed->mesh->mesh;
        auto& normals = normalsOfKind[placed->name];
        if (!normals) {
            const NEditer::ParentMapObject* kind = map.FindDefinition(placed->name);
            normals =
                std::make_shared<const std::vector<D3DXVECTOR3>>(kind ? kind->faceNormals : std::vector<D3DXVECTOR3>{});
        }
        object.faceNormals = normals;
        course.AddObject(std::move(object));
    }
    for (const CheckPoint* point : checkPoints.checkPoints)
        course.checkPoints.push_back(race::CourseCheckPoint{MatrixPosition(point->world), point->radius});
    course.Prepare();
    return course;
}
