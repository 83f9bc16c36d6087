// The one place that knows which class each scene id is.
#include "app/scene_factory.h"

#include "scenes/game.h"
#include "scenes/standings.h"
#include "scenes/title.h"

std::unique_ptr<SceneBase> CreateScene(std::int32_t id) {
    switch (id) {
    case kTitleScene: return std::make_unique<Title>();
    case kGameScene: return std::make_unique<Game>();
    case kStandingsScene: return std::make_unique<Standings>();
    default: return nullptr;
    }
}
