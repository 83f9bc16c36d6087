// The championship's standings and podium, over the title's background.
#include "scenes/standings.h"

#include <algorithm>
#include <string>

#include "app/automation/trace_writer.h"
#include "map/course_list.h"
#include "map/map_manager.h"
#include "platform/window/input.h"
#include "race/rivals.h"
#include "render/graphics_device.h"
#include "simplelib/resource_cache.h"
#include "sound/sound_manager.h"

namespace {
constexpr D3DCOLOR kClearColour = 0xFF000000;
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kHeadingColour = 0xFFFFE9A0;
constexpr D3DCOLOR kHintColour = 0xFFA8C8FF;
constexpr D3DCOLOR kGold = 0xFFFFD040;
constexpr D3DCOLOR kGained = 0xFF50FF60;
constexpr D3DCOLOR kLost = 0xFFFF5050;
constexpr D3DCOLOR kSteady = 0xFFB0B0B0;
constexpr std::int32_t kDim = 150;
// The table: its first row and row step, and its columns.
constexpr float kTableTop = 210.0f, kRowStep = 52.0f;
constexpr float kPlaceX = 300.0f, kNameX = 390.0f, kPointsX = 640.0f, kWonX = 760.0f, kMoveX = 880.0f;
// The podium: blocks for 2nd, 1st and 3rd from left to right, standing on one floor.
constexpr float kFloor = 560.0f, kBlockWidth = 220.0f;
constexpr float kBlockHeights[3] = {200.0f, 140.0f, 100.0f}; // 1st, 2nd, 3rd
constexpr D3DCOLOR kBlockColours[3] = {0xFFD8B040, 0xFFB8C0C8, 0xFFB07040};
constexpr float kBlockCentres[3] = {640.0f, 400.0f, 880.0f}; // 1st, 2nd, 3rd
constexpr float kHintY = 650.0f;

std::string CourseName(const std::string& id) {
    for (const CourseEntry& course : CourseList::Instance().courses)
        if (course.id == id) return course.name;
    return id;
}

const char* Suffix(std::int32_t place) { return place == 1 ? "st" : place == 2 ? "nd" : place == 3 ? "rd" : "th"; }
} // namespace

Standings::~Standings() { Release(); }

void Standings::Init() {
    SoundManager::Instance().Play(1, "BGM");
    background = ResourceCache::Instance().GetTexture("data/Texture/titleback.png");
    const Difficulty level = session->championship ? session->championship->level : Difficulty::Normal;
    labels = GridLabels(Championship::kRacers, race::RivalsFor(race::RivalKind::Championship, level));
    if (block.Create(1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED)) block.FillWhite();
    page = Page::Table;
}

std::int32_t Standings::Update() {
    const bool enter = Seat().Pressed(VK_RETURN), escape = Seat().Pressed(VK_ESCAPE);
    if (!session->championship) return kTitleScene;
    const Championship& championship = *session->championship;
    if (escape) {
        SoundManager::Instance().Stop("BGM");
        return kTitleScene;
    }
    if (!enter) return kStandingsScene;
    SoundManager::Instance().Play(0, "push");
    if (!championship.Finished()) {
        CourseList::Instance().Select(championship.NextCourse());
        return kGameScene;
    }
    if (page == Page::Table) {
        page = Page::Podium;
        return kStandingsScene;
    }
    SoundManager::Instance().Stop("BGM");
    return kTitleScene;
}

void Standings::Render() {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    if (!graphics.device || !graphics.sprite) return;
    graphics.device->BeginPhase("standings");
    graphics.device->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, kClearColour, 1.0f, 0);
    graphics.device->BeginScene();
    graphics.sprite->Begin(D3DXSPRITE_ALPHABLEND);
    DrawBackground();
    MapManager::Instance().DrawDim(kDim);
    if (session->championship) {
        if (page == Page::Table) DrawTable(*session->championship);
        else DrawPodium(*session->championship);
    }
    MapManager::Instance().DrawFade();
    graphics.sprite->End();
    graphics.device->EndScene();
}

void Standings::DrawBackground() {
    std::shared_ptr<SimpleLib::CTexture> image = background.lock();
    gpu::Sprite& sprite = *GraphicsDevice::Instance().sprite;
    if (!image || !image->texture || image->info.Width == 0 || image->info.Height == 0) return;
    D3DXMATRIX transform = MatrixScaling(ScreenWidth() / image->info.Width, ScreenHeight() / image->info.Height, 0);
    sprite.SetTransform(&transform);
    sprite.Draw(image->texture.get(), &image->rect, nullptr, nullptr, kWhite);
}

// Place, name in the racer's colour, points, what this race brought, and the places gained or lost.
void Standings::DrawTable(const Championship& championship) {
    const float centre = ScreenWidth() * 0.5f;
    heading.DrawCentred("CHAMPIONSHIP STANDINGS", centre, 60.0f, kHeadingColour);
    const std::size_t race = std::max<std::size_t>(championship.raced, 1);
    body.DrawCentred("after race " + std::to_string(championship.raced) + " of " +
                         std::to_string(championship.courses.size()) + ": " +
                         CourseName(championship.courses[race - 1]),
                     centre, 128.0f, kWhite);
    const auto order = championship.Order();
    float y = kTableTop;
    for (std::size_t k = 0; k < order.size(); ++k) {
        const std::size_t racer = order[k];
        const auto place = static_cast<std::int32_t>(k + 1);
        body.Draw(std::to_string(place) + Suffix(place), kPlaceX, y, kWhite);
        body.Draw(labels[racer].name, kNameX, y, 0xFF000000 | labels[racer].colour);
        body.Draw(std::to_string(championship.points[racer]) + " pts", kPointsX, y, kWhite);
        const std::int32_t lastPlace = championship.lastPlaces[racer];
        if (lastPlace > 0)
            body.Draw("+" + std::to_string(Championship::kPoints[static_cast<std::size_t>(lastPlace - 1)]), kWonX, y,
                      kGold);
        const std::int32_t moved = championship.rankBefore[racer] - place;
        const std::string move = moved > 0   ? "\xE2\x96\xB2 " + std::to_string(moved)
                                 : moved < 0 ? "\xE2\x96\xBC " + std::to_string(-moved)
                                             : "-";
        body.Draw(move, kMoveX, y, moved > 0 ? kGained : moved < 0 ? kLost : kSteady);
        y += kRowStep;
    }
    const std::string next = championship.Finished()
                                 ? "Enter: the podium      Escape: title"
                                 : "Enter: race " + std::to_string(championship.raced + 1) + ", " +
                                       CourseName(championship.NextCourse()) + "      Escape: title (saved)";
    hint.DrawCentred(next, centre, kHintY, kHintColour);
}

void Standings::DrawBlock(float left, float top, float width, float height, D3DCOLOR colour) {
    gpu::Sprite* sprite = GraphicsDevice::Instance().sprite.get();
    if (!sprite || !block.texture) return;
    const D3DXMATRIX place = MatrixScaling(width, height, 1) * MatrixTranslation(left, top, 0);
    sprite->SetTransform(&place);
    const RECT one{0, 0, 1, 1};
    sprite->Draw(block.texture.get(), &one, nullptr, nullptr, colour);
}

// The first three on their blocks, each name in its colour above its points.
void Standings::DrawPodium(const Championship& championship) {
    const float centre = ScreenWidth() * 0.5f;
    const auto order = championship.Order();
    heading.DrawCentred("CHAMPION: " + labels[order[0]].name, centre, 60.0f, kGold);
    for (std::size_t k = 0; k < 3; ++k) {
        const float top = kFloor - kBlockHeights[k];
        const float left = kBlockCentres[k] - kBlockWidth * 0.5f;
        DrawBlock(left, top, kBlockWidth, kBlockHeights[k], kBlockColours[k]);
        const auto place = static_cast<std::int32_t>(k + 1);
        body.DrawCentred(std::to_string(place) + Suffix(place), kBlockCentres[k], top + 12.0f, kWhite);
        const RacerLabel& label = labels[order[k]];
        body.DrawCentred(label.name, kBlockCentres[k], top - 84.0f, 0xFF000000 | label.colour);
        body.DrawCentred(std::to_string(championship.points[order[k]]) + " pts", kBlockCentres[k], top - 46.0f, kWhite);
    }
    std::string rest;
    for (std::size_t k = 3; k < order.size(); ++k)
        rest += (rest.empty() ? "" : "      ") + std::to_string(k + 1) + Suffix(static_cast<std::int32_t>(k + 1)) +
                " " + labels[order[k]].name + "  " + std::to_string(championship.points[order[k]]) + " pts";
    body.DrawCentred(rest, centre, kFloor + 24.0f, kWhite);
    hint.DrawCentred("Enter: title", centre, kHintY, kHintColour);
}

void Standings::WriteTrace(TraceWriter& trace) const {
    trace.Set("standings", TraceWriter::String(page == Page::Table ? "table" : "podium"));
    if (session->championship) {
        trace.Set("raced", TraceWriter::Integer(static_cast<std::int64_t>(session->championship->raced)));
        std::vector<std::string> points;
        for (std::int32_t p : session->championship->points) points.push_back(TraceWriter::Integer(p));
        trace.Set("points", TraceWriter::Array(points));
    }
}

void Standings::Release() { block.Release(); }
