// The map-object factory: picks the object class from a kind name, exactly and case-sensitively.
#pragma once

#include <memory>
#include <string>

#include "map/map_object.h"

namespace NEditer {

// A new object of the kind's class, with no model, visible, numbers zero; null for the empty name.
std::unique_ptr<MapObject> CreateMapObject(const std::string& kindName);

} // namespace NEditer
