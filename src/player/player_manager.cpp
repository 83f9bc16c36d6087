// PlayerManager: a model and trail colour for every place on the grid, and the racers' views.
#include "player/player_manager.h"

#include "effects/base_effect.h"
#include "effects/effect_manager.h"

namespace {

struct RosterEntry {
    const char* model;
    bool hasTrailColour;
    int a, r, g, b;
};

// By place on the grid: the first person flies the first model; the computer racers' trails show
// their colours.
constexpr RosterEntry kRoster[] = {
    {PlayerManager::kKeyboardModel, false, 0, 0, 0, 0},   {"data/XFile/velka/velka.x", true, 100, 0, 100, 255},
    {"data/XFile/mirro/mirro.x", true, 100, 255, 0, 255}, {"data/XFile/mirro/mirro.x", true, 100, 0, 255, 0},
    {"data/XFile/mirro/mirro.x", true, 100, 255, 255, 0},
};
constexpr std::size_t kRosterSize = sizeof kRoster / sizeof kRoster[0];
// A dressed racer's trail is as see-through as the roster's, and her model takes a third of her colour.
constexpr int kTrailAlpha = 100;
constexpr float kTintShare = 0.35f;

std::unique_ptr<PlayerManager>& Holder() {
    static std::unique_ptr<PlayerManager> instance = std::make_unique<PlayerManager>();
    return instance;
}

} // namespace

PlayerManager& PlayerManager::Instance() { return *Holder(); }

void PlayerManager::ResetInstance() { Holder() = std::make_unique<PlayerManager>(); }

void PlayerManager::Create(const race::RaceState& race) {
    for (std::size_t i = 0; i < race.racerCount; ++i) {
        const RosterEntry& entry = kRoster[i % kRosterSize];
        auto view = std::make_shared<Player>();
        view->racer = race.racers[i];
        view->Init();
        view->LoadModel(entry.model);
        BaseEffect* trail = EffectManager::Instance().Get(view->trail);
        if (entry.hasTrailColour && trail) trail->SetColor(entry.a, entry.r, entry.g, entry.b);
        players.push_back(view);
    }
}

void PlayerManager::Dress(const std::vector<std::uint32_t>& colours) {
    for (std::size_t i = 1; i < players.size() && i - 1 < colours.size(); ++i) {
        Player& view = *players[i];
        const std::uint32_t c = colours[i - 1];
        const int r = static_cast<int>((c >> 16) & 0xFF), g = static_cast<int>((c >> 8) & 0xFF);
        const int b = static_cast<int>(c & 0xFF);
        if (BaseEffect* trail = EffectManager::Instance().Get(view.trail)) trail->SetColor(kTrailAlpha, r, g, b);
        view.tint = D3DXVECTOR4(static_cast<float>(r) / 255.0f, static_cast<float>(g) / 255.0f,
                                static_cast<float>(b) / 255.0f, kTintShare);
    }
}

void PlayerManager::Follow(const race::RaceState& race, const race::RaceEvents& events) {
    for (std::size_t i = 0; i < players.size() && i < race.racerCount; ++i)
        players[i]->Follow(race.racers[i], events.fx[i]);
}

Player* PlayerManager::OfSeat(std::int32_t seat) const {
    for (const auto& view : players)
        if (view->racer.seat == seat) return view.get();
    return nullptr;
}

void PlayerManager::Draw() {
    for (const auto& racer : players) racer->Draw();
}

void PlayerManager::Clear() {
    for (const auto& racer : players) racer->Release();
    players.clear();
}
