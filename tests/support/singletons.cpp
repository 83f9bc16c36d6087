// The one list of the game's singletons for tests.
#include "support/singletons.h"

#include "app/application.h"
#include "app/scene_manager.h"
#include "effects/base_effect.h" // before the manager, whose header needs the complete type
#include "effects/effect_manager.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "platform/window/input.h"
#include "player/player_manager.h"
#include "render/graphics_device.h"
#include "render/shader_manager.h"
#include "simplelib/resource_cache.h"
#include "sound/sound_manager.h"

namespace testsupport {

void ResetSingletons() {
    SceneManager::ResetInstance();
    PlayerManager::ResetInstance();
    CourseManager::ResetInstance();
    MapManager::ResetInstance();
    EffectManager::ResetInstance();
    ShaderManager::ResetInstance();
    ResourceCache::ResetInstance();
    SoundManager::ResetInstance();
    GraphicsDevice::ResetInstance();
    Application::ResetInstance();
    platform::input::ReleaseAllKeys();
    platform::input::ClearBindings();
}

} // namespace testsupport
