// RaceHudExtras: the HUD the time trial and the championship add to the race's own — how many
// checkpoints are passed ("7/15"), a small map of the course with every racer's dot in their
// colour, and the time to the racer ahead and behind, measured at the last checkpoint both passed.
// It watches the race state after each update and never changes it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/math/d3dx_math.h"
#include "race/course.h"
#include "race/race_state.h"
#include "scenes/racer_labels.h"
#include "scenes/screen_text.h"
#include "simplelib/texture.h"

class RaceHudExtras {
public:
    // Before the race: the course's shape for the map.
    void Start(const race::Course& course);
    // After each update once the race has started: who passed which checkpoint when.
    void Observe(const race::RaceState& race);
    // The gap in milliseconds from `racer` to the racer one place ahead (positive: they lead) or
    // behind (positive: we lead); unset when there is no such racer or no checkpoint to compare at.
    std::optional<std::uint32_t> GapAhead(const race::RaceState& race, std::size_t racer) const;
    std::optional<std::uint32_t> GapBehind(const race::RaceState& race, std::size_t racer) const;
    // Checkpoints `racer` has passed, as the counter shows them.
    static std::int32_t Passed(const race::RaceState& race, std::size_t racer, std::size_t checkPoints);

    // Inside the scene's sprite batch. `ghost` is the ghost's position when one flies.
    void Draw(const race::RaceState& race, std::int32_t person, const std::vector<RacerLabel>& labels,
              const std::optional<D3DXVECTOR3>& ghost);
    // The map alone, a side of `kMapSide` at (kMapLeft, kMapTop), for the spare quarter of a shared screen.
    void DrawMapOnly(const race::RaceState& race, std::int32_t person, const std::vector<RacerLabel>& labels);
    static constexpr float kMapLeft = 1066.0f, kMapTop = 500.0f, kMapSide = 196.0f;
    void Release();

private:
    // The white texel the panel and the dots are drawn with, made on first use.
    void MakeDot();
    std::optional<std::size_t> Neighbour(const race::RaceState& race, std::size_t racer, int direction) const;
    D3DXVECTOR3 OnMap(const D3DXVECTOR3& world) const;
    void DrawDot(const D3DXVECTOR3& at, float size, D3DCOLOR colour);
    void DrawMap(const race::RaceState& race, std::int32_t person, const std::vector<RacerLabel>& labels,
                 const std::optional<D3DXVECTOR3>& ghost);
    void DrawTexts(const race::RaceState& race, std::int32_t person, const std::vector<RacerLabel>& labels);

    std::vector<D3DXVECTOR3> checkPoints;
    float minX = 0, maxZ = 0, scale = 1;
    float offsetX = 0, offsetY = 0; // centres the course in the map's box
    // Per racer, the race update at which it passed each checkpoint it has passed, in order.
    std::vector<std::vector<std::uint32_t>> passedAt;
    std::uint32_t now = 0;
    SimpleLib::CTexture dot;
    bool dotTried = false;
    ScreenText text{24, true};
};
