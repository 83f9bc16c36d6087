// The one list of the game's singletons for tests.
#include "support/singletons.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/application.h"
#include "app/scene_manager.h"
#include "effects/base_effect.h" // before the manager, whose header needs the complete type
#include "effects/effect_manager.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "platform/text/translation.h"
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
    platform::text::UseNoCatalog();
}

void UseJapanese() {
    // Tests run in the runnable folder but may move into scratch folders: the path is absolute.
    const char* build = std::getenv("ORLENDA_BUILD");
    const std::string catalog = std::string(build ? build : "..") + "/game/locale/ja/LC_MESSAGES/orlenda.mo";
    std::string error;
    if (!platform::text::UseCatalog(catalog, &error)) ADD_FAILURE() << error;
}

} // namespace testsupport
