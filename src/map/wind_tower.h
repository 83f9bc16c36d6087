// WindTower: static scenery of kind "WindTower".
#pragma once

#include "map/map_object.h"

class WindTower : public NEditer::MapObject {};
