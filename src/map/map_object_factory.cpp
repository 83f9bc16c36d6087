// The map-object factory: the kinds with a class of their own, everything else a plain MapObject.
#include "map/map_object_factory.h"

#include "map/check_point.h"
#include "map/church.h"
#include "map/kosciol.h"
#include "map/sail.h"
#include "map/wind_tower.h"

namespace NEditer {

std::unique_ptr<MapObject> CreateMapObject(const std::string& kindName) {
    if (kindName.empty()) return nullptr;
    if (kindName == "church") return std::make_unique<Church>();
    if (kindName == "WindTower") return std::make_unique<WindTower>();
    if (kindName == "kosciol") return std::make_unique<Kosciol>();
    if (kindName == "CheckPoint") return std::make_unique<CheckPoint>();
    if (kindName == "Sail") return std::make_unique<Sail>();
    return std::make_unique<MapObject>();
}

} // namespace NEditer
