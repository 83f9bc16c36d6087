// The extra HUD: checkpoint counter, course map and gaps, drawn at the right-hand bottom corner.
#include "scenes/race_hud_extras.h"

#include <algorithm>
#include <cstdio>

#include "render/graphics_device.h"

namespace {
// The margin the course keeps inside the map's box (the box itself is the class's).
constexpr float kMapMargin = 12.0f;
constexpr float kTextX = 1040.0f, kTextTop = 404.0f, kTextStep = 30.0f;
constexpr D3DCOLOR kPanel = 0x90000000;
constexpr D3DCOLOR kRing = 0xB0E0E0E0;
constexpr D3DCOLOR kNextRing = 0xFFFF3030; // red, as the ring to fly through shows in the world
constexpr D3DCOLOR kGhostDot = 0x90FFFFFF;
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr float kRingDot = 4.0f, kPathDot = 2.0f, kRacerDot = 8.0f, kPersonDot = 11.0f;
// Dots between two rings that trace the lap.
constexpr int kPathDots = 4;

std::string Seconds(std::uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%u.%02u", ms / 1000, (ms % 1000) / 10);
    return text;
}
} // namespace

void RaceHudExtras::Start(const race::Course& course) {
    checkPoints.clear();
    for (const race::CourseCheckPoint& ring : course.checkPoints) checkPoints.push_back(ring.position);
    passedAt.clear();
    now = 0;
    if (checkPoints.empty()) return;
    float maxX = checkPoints[0].x, minZ = checkPoints[0].z;
    minX = maxX;
    maxZ = minZ;
    for (const D3DXVECTOR3& p : checkPoints) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minZ = std::min(minZ, p.z), maxZ = std::max(maxZ, p.z);
    }
    const float inside = kMapSide - 2 * kMapMargin;
    scale = inside / std::max({maxX - minX, maxZ - minZ, 1.0f});
    offsetX = kMapMargin + (inside - (maxX - minX) * scale) * 0.5f;
    offsetY = kMapMargin + (inside - (maxZ - minZ) * scale) * 0.5f;
}

std::int32_t RaceHudExtras::Passed(const race::RaceState& race, std::size_t racer, std::size_t count) {
    const race::RacerState& r = race.racers[racer];
    return r.finished ? static_cast<std::int32_t>(count) : std::max(r.nextCheckPoint, 0);
}

void RaceHudExtras::Observe(const race::RaceState& race) {
    now = race.raceUpdates;
    if (passedAt.size() < race.racerCount) passedAt.resize(race.racerCount);
    for (std::size_t i = 0; i < race.racerCount; ++i) {
        const auto passed = static_cast<std::size_t>(Passed(race, i, checkPoints.size()));
        while (passedAt[i].size() < passed) passedAt[i].push_back(race.raceUpdates);
    }
}

// The racer one place ahead (-1) or behind (+1) of `racer`: the nearest place on that side.
std::optional<std::size_t> RaceHudExtras::Neighbour(const race::RaceState& race, std::size_t racer,
                                                    int direction) const {
    std::optional<std::size_t> best;
    const std::int32_t place = race.racers[racer].place;
    for (std::size_t i = 0; i < race.racerCount; ++i) {
        const std::int32_t other = race.racers[i].place;
        if (i == racer || (direction < 0 ? other >= place : other <= place)) continue;
        if (!best || (direction < 0 ? other > race.racers[*best].place : other < race.racers[*best].place)) best = i;
    }
    return best;
}

std::optional<std::uint32_t> RaceHudExtras::GapAhead(const race::RaceState& race, std::size_t racer) const {
    const std::optional<std::size_t> ahead = Neighbour(race, racer, -1);
    if (!ahead || racer >= passedAt.size() || *ahead >= passedAt.size() || passedAt[racer].empty()) return {};
    const std::size_t k = passedAt[racer].size() - 1;
    if (passedAt[*ahead].size() <= k) return {};
    const std::uint32_t mine = passedAt[racer][k], theirs = passedAt[*ahead][k];
    return (mine - std::min(mine, theirs)) * race::kUpdateMs;
}

// Behind us, a racer that has not reached our last checkpoint yet is at least this far behind.
std::optional<std::uint32_t> RaceHudExtras::GapBehind(const race::RaceState& race, std::size_t racer) const {
    const std::optional<std::size_t> behind = Neighbour(race, racer, +1);
    if (!behind || racer >= passedAt.size() || *behind >= passedAt.size() || passedAt[racer].empty()) return {};
    const std::size_t k = passedAt[racer].size() - 1;
    const std::uint32_t mine = passedAt[racer][k];
    const std::uint32_t theirs = passedAt[*behind].size() > k ? passedAt[*behind][k] : now;
    return (theirs - std::min(theirs, mine)) * race::kUpdateMs;
}

D3DXVECTOR3 RaceHudExtras::OnMap(const D3DXVECTOR3& world) const {
    return D3DXVECTOR3{kMapLeft + offsetX + (world.x - minX) * scale, kMapTop + offsetY + (maxZ - world.z) * scale, 0};
}

void RaceHudExtras::DrawDot(const D3DXVECTOR3& at, float size, D3DCOLOR colour) {
    gpu::Sprite* sprite = GraphicsDevice::Instance().sprite.get();
    if (!sprite || !dot.texture) return;
    const D3DXMATRIX place =
        MatrixScaling(size, size, 1) * MatrixTranslation(at.x - size * 0.5f, at.y - size * 0.5f, 0);
    sprite->SetTransform(&place);
    const RECT one{0, 0, 1, 1};
    sprite->Draw(dot.texture.get(), &one, nullptr, nullptr, colour);
}

void RaceHudExtras::MakeDot() {
    if (dotTried) return;
    dotTried = true;
    if (dot.Create(1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED)) dot.FillWhite();
}

void RaceHudExtras::DrawMapOnly(const race::RaceState& race, std::int32_t person,
                                const std::vector<RacerLabel>& labels) {
    MakeDot();
    if (person >= 0 && !checkPoints.empty()) DrawMap(race, person, labels, std::nullopt);
}

void RaceHudExtras::Draw(const race::RaceState& race, std::int32_t person, const std::vector<RacerLabel>& labels,
                         const std::optional<D3DXVECTOR3>& ghost) {
    MakeDot();
    if (person < 0 || checkPoints.empty()) return;
    DrawMap(race, person, labels, ghost);
    DrawTexts(race, person, labels);
}

void RaceHudExtras::DrawMap(const race::RaceState& race, std::int32_t person, const std::vector<RacerLabel>& labels,
                            const std::optional<D3DXVECTOR3>& ghost) {
    DrawDot(D3DXVECTOR3{kMapLeft + kMapSide * 0.5f, kMapTop + kMapSide * 0.5f, 0}, kMapSide, kPanel);
    const race::RacerState& me = race.racers[static_cast<std::size_t>(person)];
    for (std::size_t k = 0; k < checkPoints.size(); ++k) {
        const D3DXVECTOR3 from = OnMap(checkPoints[k]), to = OnMap(checkPoints[(k + 1) % checkPoints.size()]);
        for (int d = 1; d <= kPathDots; ++d)
            DrawDot(from + (to - from) * (static_cast<float>(d) / (kPathDots + 1)), kPathDot, kRing);
    }
    for (std::size_t k = 0; k < checkPoints.size(); ++k) {
        const bool next = !me.finished && static_cast<std::int32_t>(k) == me.nextCheckPoint;
        DrawDot(OnMap(checkPoints[k]), next ? kRacerDot : kRingDot, next ? kNextRing : kRing);
    }
    if (ghost) DrawDot(OnMap(*ghost), kRacerDot, kGhostDot);
    // The person's dot last, largest and ringed in black, so it is never hidden.
    for (std::size_t i = 0; i < race.racerCount; ++i) {
        if (static_cast<std::int32_t>(i) == person) continue;
        const D3DCOLOR colour = 0xFF000000 | (i < labels.size() ? labels[i].colour : 0xFFFFFF);
        DrawDot(OnMap(race.racers[i].Position()), kRacerDot, colour);
    }
    DrawDot(OnMap(me.Position()), kPersonDot + 3.0f, 0xFF000000);
    DrawDot(OnMap(me.Position()), kPersonDot, kWhite);
}

void RaceHudExtras::DrawTexts(const race::RaceState& race, std::int32_t person, const std::vector<RacerLabel>& labels) {
    const auto me = static_cast<std::size_t>(person);
    float y = kTextTop;
    const std::string counter =
        "Checkpoint " + std::to_string(Passed(race, me, checkPoints.size())) + "/" + std::to_string(checkPoints.size());
    text.Draw(counter, kTextX, y, kWhite);
    auto line = [&](const std::optional<std::size_t>& other, const std::optional<std::uint32_t>& gap,
                    const char* side) {
        y += kTextStep;
        if (!other || !gap) return;
        const RacerLabel label = *other < labels.size() ? labels[*other] : RacerLabel{};
        text.Draw(label.name, kTextX, y, 0xFF000000 | label.colour);
        text.Draw(side + Seconds(*gap), kTextX + static_cast<float>(text.Width(label.name)), y, kWhite);
    };
    line(Neighbour(race, me, -1), GapAhead(race, me), " ahead ");
    line(Neighbour(race, me, +1), GapBehind(race, me), " behind ");
}

void RaceHudExtras::Release() {
    dot.Release();
    dotTried = false;
}
