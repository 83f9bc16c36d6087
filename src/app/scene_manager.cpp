// The scene change protocol: request, 86 frames of fade-out, swap, 86 frames of fade-in.
#include "app/scene_manager.h"

#include "map/map_manager.h"
#include "simplelib/resource_cache.h"

namespace {
std::unique_ptr<SceneManager>& Holder() {
    static std::unique_ptr<SceneManager> instance = std::make_unique<SceneManager>();
    return instance;
}
} // namespace

SceneManager& SceneManager::Instance() { return *Holder(); }

void SceneManager::ResetInstance() { Holder() = std::make_unique<SceneManager>(); }

void SceneManager::ChangeScene(std::int32_t id) {
    scene.reset();
    // What only the old scene used goes before the new one loads, so the two never fill memory at once.
    ResourceCache& cache = ResourceCache::Instance();
    cache.BeginScene();
    cache.ReleaseEarlierScenes();
    scene = factory ? factory(id) : nullptr;
    if (!scene) return;
    scene->window = window;
    scene->lineup = lineup;
    scene->seeds = seeds;
    scene->checks = checks;
    if (session) scene->session = session;
    if (settings) scene->settings = settings;
    // Before Init: the race's warm-up already reads the keys, and a press that began on the screen
    // before does nothing until it is let go.
    if (lineup) lineup->ForgetHeld();
    scene->Init();
}

void SceneManager::Update() {
    MapManager& map = MapManager::Instance();
    if (!scene || map.active) return;
    std::int32_t wanted = scene->Update();
    const bool again = wanted == SceneBase::kAgain;
    if (again) wanted = scene->sceneId;
    if (again || wanted != scene->sceneId) {
        changePending = true;
        nextSceneId = wanted;
        map.fadingIn = false;
        map.active = true;
        map.alpha = 0;
    }
    // Only reachable a frame after the request: the request itself has just made the fade active.
    if (changePending && !map.active) {
        ChangeScene(nextSceneId);
        map.fadingIn = true;
        map.active = true;
        map.alpha = 255;
        changePending = false;
    }
}

void SceneManager::Animate() {
    if (!scene) return;
    scene->Animate();
    MapManager::Instance().StepFade();
}
