// Church: static scenery of kind "church".
#pragma once

#include "map/map_object.h"

class Church : public NEditer::MapObject {};
