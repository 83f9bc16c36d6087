// Builds the scene of an id: the title or the race. Other ids build nothing.
#pragma once

#include <cstdint>
#include <memory>

#include "scenes/scene_base.h"

std::unique_ptr<SceneBase> CreateScene(std::int32_t id);
