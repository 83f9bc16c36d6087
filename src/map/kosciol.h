// Kosciol: static scenery of kind "kosciol".
#pragma once

#include "map/map_object.h"

class Kosciol : public NEditer::MapObject {};
