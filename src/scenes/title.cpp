// The title scene: the mode and course rows, Enter starts the race, Escape asks whether to quit, F1
// shows the controls and O opens the options.
#include "scenes/title.h"

#include <cstdio>
#include <iterator>

#include "app/automation/trace_writer.h"
#include "map/course_list.h"
#include "map/map_manager.h"
#include "platform/text/translation.h"
#include "platform/window/input.h"
#include "platform/window/message_box.h"
#include "records/championship_save.h"
#include "scenes/racer_labels.h"
#include "render/graphics_device.h"
#include "simplelib/resource_cache.h"
#include "sound/sound_manager.h"

namespace {
constexpr D3DCOLOR kClearColour = 0xFF0000FF;
constexpr D3DCOLOR kOpaqueWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kHintColour = 0xFFD8E8FF;

// An image stretched over the whole screen; an image that failed to load draws nothing.
void DrawFullScreen(const std::weak_ptr<SimpleLib::CTexture>& reference, gpu::Sprite& sprite) {
    std::shared_ptr<SimpleLib::CTexture> image = reference.lock();
    if (!image || !image->texture || image->info.Width == 0 || image->info.Height == 0) return;
    D3DXMATRIX transform = MatrixScaling(ScreenWidth() / image->info.Width, ScreenHeight() / image->info.Height, 0);
    sprite.SetTransform(&transform);
    sprite.Draw(image->texture.get(), &image->rect, nullptr, nullptr, kOpaqueWhite);
}

// The logo at its own size, centred across and a third of the leftover height down.
void DrawLogo(const std::weak_ptr<SimpleLib::CTexture>& reference, gpu::Sprite& sprite) {
    std::shared_ptr<SimpleLib::CTexture> image = reference.lock();
    if (!image || !image->texture) return;
    D3DXMATRIX transform = MatrixTranslation((ScreenWidth() - float(image->info.Width)) * 0.5f,
                                             (ScreenHeight() - float(image->info.Height)) / 3, 0);
    sprite.SetTransform(&transform);
    sprite.Draw(image->texture.get(), &image->rect, nullptr, nullptr, kOpaqueWhite);
}
// The mode row under the logo, the course's preview below it, the name's line under the preview
// and the name's text scale.
constexpr float kModeTop = 374.0f;
constexpr float kModeGap = 56.0f;
constexpr float kPreviewTop = 414.0f;
constexpr float kNameTop = 548.0f;
constexpr float kNameScale = 1.7f;
constexpr D3DCOLOR kChosenColour = 0xFFFFE060;
constexpr D3DCOLOR kOtherColour = 0xC0C8D0E0;
constexpr D3DCOLOR kDimColour = 0xFFB8C0D0;
// The joined people's list at the left, level with the mode row.
constexpr float kPeopleLeft = 40.0f;
constexpr float kPeopleTop = 374.0f;
constexpr RaceMode kModes[] = {RaceMode::Race, RaceMode::Trial, RaceMode::Championship};

const char* ModeLabel(RaceMode mode) {
    switch (mode) {
    case RaceMode::Trial: return "Time trial";
    case RaceMode::Championship: return "Championship";
    case RaceMode::Race: break;
    }
    return "Race";
}

const CourseEntry* CourseById(const std::string& id) {
    for (const CourseEntry& course : CourseList::Instance().courses)
        if (course.id == id) return &course;
    return nullptr;
}
} // namespace

Title::~Title() { Release(); }

void Title::Init() {
    SoundManager::Instance().Play(1, "BGM");
    ResourceCache& cache = ResourceCache::Instance();
    background = cache.GetTexture("data/Texture/titleback.png");
    logo = cache.GetTexture("data/Texture/titlelogo.png");
    fog = cache.GetTexture("data/Texture/titlefog.png");
    pressEnter.Init();
    pressEnter.translation = MatrixTranslation(ScreenWidth() * 0.35f, ScreenHeight() * 0.8f, 0);
    // A championship saved by an earlier run can be taken up; one begun this run is in hand already.
    if (!session->championship) {
        Championship saved;
        if (LoadChampionship(&saved)) session->championship = saved;
    }
    goOn = session->CanGoOn();
}

bool Title::UpdateScreens() {
    if (options.IsOpen()) options.Update(Seat());
    else if (controls.IsOpen()) controls.Update(Seat());
    else return false;
    pressEnter.Blink();
    return true;
}

std::int32_t Title::Update() {
    if (lobby.IsOpen()) {
        const bool raceAgreed = lobby.Update(Seat(), seeds);
        pressEnter.Blink();
        return raceAgreed ? kGameScene : kTitleScene;
    }
    if (UpdateScreens()) return 0;
    if (Seat().Pressed(VK_ESCAPE)) {
        int answer = MessageBoxA(window, platform::text::Translate("Quit the game?"), "Orlenda",
                                 MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
        if (answer == IDYES) {
            exitRequested = true;
            return kTitleScene;
        }
    }
    pressEnter.Blink();
    UpdateJoining();
    ChooseRow();
    ChooseCourse();
    if (Seat().Pressed(VK_RETURN)) {
        SoundManager::Instance().Play(0, "push");
        if (session->mode == RaceMode::Championship) PrepareChampionship();
        return kGameScene;
    }
    if (Seat().Pressed(VK_F1)) controls.Open(settings->values.keys, settings->values.keys2);
    else if (Seat().Pressed('O')) options.Open(*settings);
    else if (Seat().Pressed('N')) lobby.Open(*session, *settings);
    return kTitleScene;
}

void Title::Render() {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    if (!graphics.device || !graphics.sprite) return;
    gpu::Device& device = *graphics.device;
    gpu::Sprite& sprite = *graphics.sprite;
    device.BeginPhase("title");
    device.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, kClearColour, 1.0f, 0);
    device.BeginScene();
    sprite.Begin(D3DXSPRITE_ALPHABLEND);
    DrawFullScreen(background, sprite);
    DrawFullScreen(fog, sprite);
    DrawLogo(logo, sprite);
    // The screens keep the title behind them, but not its prompt and hint.
    if (!options.IsOpen() && !controls.IsOpen() && !lobby.IsOpen()) {
        pressEnter.Draw();
        DrawHint();
        DrawModes();
        DrawOnlineKey();
        DrawCourse();
        DrawPeople();
    }
    options.Draw();
    lobby.Draw(People().Count());
    controls.Draw();
    MapManager::Instance().DrawFade();
    DrawFrameRate();
    sprite.End();
    device.EndScene();
}

void Title::DrawFrameRate() {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    if (!graphics.font) return;
    D3DXMATRIX transform = MatrixTranslation(10, 10, 0);
    graphics.sprite->SetTransform(&transform);
    char text[256];
    std::snprintf(text, sizeof text, "FPS=%d", framesPerSecond);
    RECT area{};
    graphics.font->DrawTextA(graphics.sprite.get(), text, -1, &area, DT_CALCRECT, kOpaqueWhite);
    graphics.font->DrawTextA(graphics.sprite.get(), text, -1, &area, DT_LEFT | DT_TOP, kOpaqueWhite);
}

// One line under the prompt, centred on it, in the prompt's pale blue.
void Title::DrawHint() {
    std::shared_ptr<SimpleLib::CTexture> prompt = pressEnter.texture.lock();
    float centre = ScreenWidth() * 0.5f, below = ScreenHeight() * 0.8f;
    if (prompt && prompt->info.Width > 0) {
        centre = pressEnter.translation._41 + float(prompt->info.Width) * pressEnter.scaling._11 * 0.5f;
        below = pressEnter.translation._42 + float(prompt->info.Height) * pressEnter.scaling._22;
    }
    // Alone, the hint stays as it always was; with company it says how to leave.
    const char* text = People().Count() > 1 ? "Up/Down: mode or course   F1: controls   2P-4P: 1 or Back leaves"
                                            : "Up/Down: mode or course   F1: controls   O: options";
    hint.DrawCentred(text, centre, below + 4.0f, kHintColour);
}

// Arrows and the pad's d-pad (or stick) alike.
void Title::ChooseRow() {
    if (Seat().Pressed(VK_NAVIGATION_UP)) row = Row::Mode;
    if (Seat().Pressed(VK_NAVIGATION_DOWN)) row = Row::Course;
}

void Title::ChooseCourse() {
    const int step = Seat().Pressed(VK_NAVIGATION_LEFT) ? -1 : Seat().Pressed(VK_NAVIGATION_RIGHT) ? 1 : 0;
    if (step == 0) return;
    if (row == Row::Mode) return ChooseMode(step);
    if (session->mode == RaceMode::Championship) goOn = session->CanGoOn() && !goOn;
    else CourseList::Instance().Step(step);
}

void Title::ChooseMode(int step) {
    const int count = static_cast<int>(std::size(kModes));
    const int now = static_cast<int>(session->mode);
    session->mode = kModes[(now + step + count) % count];
    goOn = session->CanGoOn();
}

void Title::PrepareChampionship() {
    if (!goOn || !session->CanGoOn())
        session->championship = NewChampionship(ChampionshipCourses(), settings->values.difficulty);
    CourseList::Instance().Select(session->championship->NextCourse());
}

const CourseEntry& Title::ShownCourse() const {
    if (session->mode == RaceMode::Championship) {
        const std::vector<std::string> courses = ChampionshipCourses();
        const std::string next = goOn && session->CanGoOn() ? session->championship->NextCourse() : courses.front();
        if (const CourseEntry* course = CourseById(next)) return *course;
    }
    return CourseList::Instance().Selected();
}

std::string Title::CourseRowText() const {
    if (session->mode != RaceMode::Championship) {
        const std::string& name = CourseList::Instance().Selected().name;
        return CourseList::Instance().courses.size() > 1 ? "<   " + name + "   >" : name;
    }
    const std::size_t count = ChampionshipCourses().size();
    if (!session->CanGoOn()) return "New championship: " + std::to_string(count) + " races";
    const Championship& going = *session->championship;
    const std::string text = goOn ? "Go on: race " + std::to_string(going.raced + 1) + " of " +
                                        std::to_string(going.courses.size()) + ", " + ShownCourse().name
                                  : "Start afresh: " + std::to_string(count) + " races";
    return "<   " + text + "   >";
}

// The three modes side by side, the chosen one in gold; arrows round the row while it is chosen.
void Title::DrawModes() {
    float width = 0.0f;
    for (RaceMode mode : kModes) width += static_cast<float>(modeText.Width(ModeLabel(mode)));
    width += kModeGap * static_cast<float>(std::size(kModes) - 1);
    float x = (ScreenWidth() - width) * 0.5f;
    if (row == Row::Mode) {
        modeText.Draw("<", x - kModeGap * 0.6f, kModeTop, kChosenColour);
        modeText.Draw(">", x + width + kModeGap * 0.4f, kModeTop, kChosenColour);
    }
    for (RaceMode mode : kModes) {
        modeText.Draw(ModeLabel(mode), x, kModeTop, mode == session->mode ? kChosenColour : kOtherColour);
        x += static_cast<float>(modeText.Width(ModeLabel(mode))) + kModeGap;
    }
}

// Online races are a screen of their own: their key sits at the mode row's right end, clear of the modes.
void Title::DrawOnlineKey() {
    const std::string text = "N: Online";
    modeText.Draw(text, ScreenWidth() - static_cast<float>(modeText.Width(text)) - kPeopleLeft, kModeTop, kOtherColour);
}

void Title::DrawCourse() {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    const CourseEntry& course = ShownCourse();
    std::shared_ptr<SimpleLib::CTexture> image = preview.lock();
    if (!course.previewPath.empty() && (!image || image->path != course.previewPath)) {
        preview = ResourceCache::Instance().GetTexture(course.previewPath);
        image = preview.lock();
    }
    if (image && image->texture && image->path == course.previewPath) {
        D3DXMATRIX transform = MatrixTranslation((ScreenWidth() - float(image->info.Width)) * 0.5f, kPreviewTop, 0);
        graphics.sprite->SetTransform(&transform);
        graphics.sprite->Draw(image->texture.get(), &image->rect, nullptr, nullptr, kOpaqueWhite);
    }
    if (!graphics.font) return;
    const std::string text = CourseRowText();
    RECT area{};
    graphics.font->DrawTextA(graphics.sprite.get(), text.c_str(), -1, &area, DT_CALCRECT, kOpaqueWhite);
    const float width = float(area.right - area.left) * kNameScale;
    D3DXMATRIX transform =
        MatrixScaling(kNameScale, kNameScale, 1) * MatrixTranslation((ScreenWidth() - width) * 0.5f, kNameTop, 0);
    graphics.sprite->SetTransform(&transform);
    graphics.font->DrawTextA(graphics.sprite.get(), text.c_str(), -1, &area, DT_LEFT | DT_TOP,
                             row == Row::Course ? kOpaqueWhite : kDimColour);
}

// Another person joins with a free pad's Start or A, or keyboard set 2's Enter; a joined person's
// Escape (or Back) leaves. 1P stays: their Escape asks whether to quit.
void Title::UpdateJoining() {
    race::Lineup& people = People();
    for (std::size_t seat = people.Count(); seat-- > 1;)
        if (people.At(seat).Pressed(VK_ESCAPE)) {
            people.Leave(seat);
            SoundManager::Instance().Play(0, "push");
        }
    if (const std::optional<race::SeatDevice> device = people.JoinRequest(); device && people.Join(*device))
        SoundManager::Instance().Play(0, "push");
}

// Who has joined, one line each down the left side; nothing while 1P is alone, as the title always was.
void Title::DrawPeople() {
    const race::Lineup& people = People();
    if (people.Count() < 2) return;
    float y = kPeopleTop;
    for (std::size_t seat = 0; seat < people.Count(); ++seat) {
        const std::string text = PersonLabel(seat) + " " + people.DeviceOf(seat).Name();
        peopleText.Draw(text, kPeopleLeft, y, PersonColour(seat));
        y += static_cast<float>(peopleText.Height()) * 1.3f;
    }
    peopleText.Draw(people.Count() < race::Lineup::kMostSeats ? "more: Start on a pad" : "every seat taken",
                    kPeopleLeft, y, kDimColour);
}

void Title::WriteTrace(TraceWriter& trace) const {
    const race::Lineup& people = People();
    if (people.Count() < 2) return;
    std::vector<std::string> names;
    for (std::size_t seat = 0; seat < people.Count(); ++seat)
        names.push_back(TraceWriter::String(people.DeviceOf(seat).Name()));
    trace.Set("people", TraceWriter::Array(names));
}

void Title::Release() {
    GraphicsDevice& graphics = GraphicsDevice::Instance();
    if (graphics.device) graphics.device->SetTexture(0, nullptr);
}
