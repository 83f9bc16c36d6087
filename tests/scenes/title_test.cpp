// The title scene: the blinking prompt, Enter and Escape with the seat's latches, and its drawing.
#include "map/course_list.h"
#include "support/game_test_support.h"
#include "platform/audio/audio_device.h"
#include "scenes/title.h"

#include "net/net_race.h"

namespace {

class TitleTest : public GameShellTest {
protected:
    void SetUp() override {
        GameShellTest::SetUp();
        testsupport::UseJapanese();
        folder.WritePng("data/Texture/titleback.png", 64, 32, 0xFF102030);
        folder.WritePng("data/Texture/titlefog.png", 16, 16, 0x80FFFFFF);
        folder.WritePng("data/Texture/titlelogo.png", 400, 120, 0xFFFF0000);
        folder.WritePng("data/Texture/pleaseenter.png", 256, 64, 0xFFFFFFFF);
        folder.WriteWav("data/Sound/BGM.wav");
        folder.WriteWav("data/Sound/push.wav");
        SoundManager::ResetInstance();
        platform::audio::ForceLoopback(true);
        SoundManager::Instance().Init();
        title.lineup = &lineup;
        title.Init();
    }
    void TearDown() override {
        SoundManager::Instance().Release();
        SoundManager::ResetInstance();
        GameShellTest::TearDown();
    }
    static void Hold(int key, bool down) { platform::input::SetKeyDown(key, down); }

    ScratchFolder folder{"title"};
    race::Lineup lineup; // the shell's people, whose 1P the race scene reads next
    race::Seat& seat = lineup.At(0);
    Title title;
};

TEST_F(TitleTest, InitStartsTheMusicAndPlacesThePrompt) {
    EXPECT_EQ(SoundManager::Instance().TakePlayedNames(), std::vector<std::string>{"BGM"});
    EXPECT_EQ(title.sceneId, 0);
    EXPECT_EQ(title.framesPerSecond, 0);
    ASSERT_FALSE(title.background.expired());
    EXPECT_EQ(title.background.lock()->info.Width, 64u);
    EXPECT_EQ(title.pressEnter.translation, MatrixTranslation(1280 * 0.35f, 720 * 0.8f, 0));
    EXPECT_EQ(title.pressEnter.alpha, 0);
    EXPECT_FALSE(title.pressEnter.rising);
}

TEST_F(TitleTest, PromptBlinksBetween50And255InA172StepCycle) {
    std::vector<int> alphas;
    for (int i = 0; i < 1 + 3 * 172; ++i) {
        EXPECT_EQ(title.Update(), 0);
        alphas.push_back(title.pressEnter.alpha);
    }
    EXPECT_EQ(alphas[0], 50) << "the first step from 0 clamps to 50 and turns";
    for (int a : alphas) {
        EXPECT_GE(a, 50);
        EXPECT_LE(a, 255);
    }
    EXPECT_EQ(alphas[103], 255) << "103 steps rising";
    EXPECT_EQ(alphas[172], 50) << "69 steps falling";
    for (std::size_t i = 0; i + 172 < alphas.size(); ++i) ASSERT_EQ(alphas[i], alphas[i + 172]) << i;
}

TEST_F(TitleTest, EnterPlaysPushOnceAndRequestsTheRaceOncePerPress) {
    SoundManager::Instance().TakePlayedNames();
    Hold(VK_RETURN, true);
    EXPECT_EQ(title.Update(), 1);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(title.Update(), 0) << "held: no second request";
    EXPECT_EQ(SoundManager::Instance().TakePlayedNames(), std::vector<std::string>{"push"});
    Hold(VK_RETURN, false);
    EXPECT_EQ(title.Update(), 0);
    Hold(VK_RETURN, true);
    EXPECT_EQ(title.Update(), 1);
    EXPECT_EQ(SoundManager::Instance().TakePlayedNames(), std::vector<std::string>{"push"});
}

TEST_F(TitleTest, EscapeAnsweredNoGoesOnInTheSameUpdate) {
    std::vector<std::string> boxes;
    platform::message_box::SetObserver([&](const std::string& caption, const std::string& text, int answer) {
        boxes.push_back(caption + "|" + text + "|" + std::to_string(answer));
    });
    platform::message_box::QueueAnswer(IDNO);
    Hold(VK_ESCAPE, true);
    Hold(VK_RETURN, true);
    EXPECT_EQ(title.Update(), 1) << "Enter is still tested after the box";
    EXPECT_EQ(title.pressEnter.alpha, 50) << "and the prompt still blinked";
    EXPECT_FALSE(title.exitRequested);
    EXPECT_EQ(title.Update(), 0);
    ASSERT_EQ(boxes.size(), 1u) << "Escape held: asked once";
    EXPECT_EQ(boxes[0], "Orlenda|ゲームを終了しますか？|" + std::to_string(IDNO));
    platform::message_box::SetObserver(nullptr);
}

TEST_F(TitleTest, EscapeWithNoScriptedAnswerTakesTheDefaultNo) {
    Hold(VK_ESCAPE, true);
    EXPECT_EQ(title.Update(), 0);
    EXPECT_FALSE(title.exitRequested);
}

TEST_F(TitleTest, EscapeAnsweredYesStopsTheApplicationWithoutBlinking) {
    platform::message_box::QueueAnswer(IDYES);
    Hold(VK_ESCAPE, true);
    Hold(VK_RETURN, true);
    EXPECT_EQ(title.Update(), 0);
    EXPECT_TRUE(title.exitRequested);
    EXPECT_EQ(title.pressEnter.alpha, 0);
    EXPECT_TRUE(seat.Pressed(VK_RETURN)) << "the update ended before Enter was read";
}

TEST_F(TitleTest, EnterLatchIsTheSeatsOneTheRaceSceneReads) {
    Hold(VK_RETURN, true);
    EXPECT_EQ(title.Update(), 1);
    // The race scene asks the same seat: the press that left the title is spent.
    EXPECT_FALSE(seat.Pressed(VK_RETURN));
    Hold(VK_RETURN, false);
    EXPECT_FALSE(seat.Pressed(VK_RETURN));
    Hold(VK_RETURN, true);
    EXPECT_TRUE(seat.Pressed(VK_RETURN));
    EXPECT_EQ(title.Update(), 0) << "and back on the title the same press does not act again";
}

TEST_F(TitleTest, EscapeLatchHoldsAcrossScenesToo) {
    Hold(VK_ESCAPE, true);
    EXPECT_EQ(title.Update(), 0); // asked once, default No
    EXPECT_FALSE(seat.Pressed(VK_ESCAPE));
    Hold(VK_ESCAPE, false);
    title.Update();
    Hold(VK_ESCAPE, true);
    EXPECT_TRUE(seat.Pressed(VK_ESCAPE)) << "released on the title, the next press counts";
}

TEST_F(TitleTest, RenderStretchesBackgroundAndFogCentresLogoAndDrawsThePrompt) {
    title.Update();
    title.Render();
    ASSERT_EQ(sprite->draws.size(), 4u) << "no fade running: background, fog, logo, prompt";
    EXPECT_EQ(sprite->begins, 1);
    EXPECT_EQ(sprite->ends, 1);
    const SpriteDraw& background = sprite->draws[0];
    EXPECT_EQ(background.transform, MatrixScaling(1280.0f / 64, 720.0f / 32, 0));
    EXPECT_EQ(background.source, (RECT{0, 0, 64, 32}));
    EXPECT_EQ(background.colour, 0xFFFFFFFFu);
    EXPECT_EQ(sprite->draws[1].transform, MatrixScaling(1280.0f / 16, 720.0f / 16, 0));
    EXPECT_EQ(sprite->draws[2].transform, MatrixTranslation((1280 - 400) * 0.5f, (720 - 120) / 3.0f, 0));
    const SpriteDraw& prompt = sprite->draws[3];
    EXPECT_EQ(prompt.colour, (50u << 24) | 0xFFFFFF);
    EXPECT_EQ(prompt.transform, MatrixScaling(0.8f, 0.8f, 0) * title.pressEnter.translation);
    EXPECT_EQ(prompt.source, (RECT{0, 0, 256, 64}));
}

TEST_F(TitleTest, FadeIsDrawnAfterThePromptAndMissingImagesDrawNothing) {
    Title bare;
    ResourceCache::ResetInstance();
    std::filesystem::remove_all(folder.root / "data");
    bare.Init();
    MapManager& map = MapManager::Instance();
    map.active = true;
    map.fadingIn = false;
    map.alpha = 0;
    sprite->draws.clear();
    map.StepFade();
    bare.Render();
    ASSERT_EQ(sprite->draws.size(), 1u) << "only the fade: every image is missing";
    EXPECT_EQ(sprite->draws[0].colour, 0x03FFFFFFu);
    EXPECT_EQ(sprite->draws[0].texture, map.fadeTexture.texture.get());
}

TEST_F(TitleTest, LeftAndRightStepThroughTheCoursesOncePerPressAndThePreviewSitsUnderTheLogo) {
    folder.WritePng("data/Texture/preview_b.png", 128, 64, 0xFF00FF00);
    CourseList& list = CourseList::Instance();
    CourseEntry a = CourseList::BuiltIn(), b = CourseList::BuiltIn();
    a.previewPath = "data/Texture/none.png";
    b.id = "b";
    b.previewPath = "data/Texture/preview_b.png";
    list.courses = {a, b, b};
    Hold(VK_RIGHT, true);
    title.Update();
    title.Update(); // held: no second step
    EXPECT_EQ(list.selected, 1u);
    Hold(VK_RIGHT, false);
    Hold(VK_LEFT, true);
    title.Update();
    Hold(VK_LEFT, false);
    title.Update();
    Hold(VK_LEFT, true);
    title.Update();
    EXPECT_EQ(list.selected, 2u) << "left from the first course wraps to the last";
    sprite->draws.clear();
    title.Render();
    ASSERT_EQ(sprite->draws.size(), 5u) << "background, fog, logo, prompt, preview";
    EXPECT_EQ(sprite->draws[4].source, (RECT{0, 0, 128, 64}));
    EXPECT_GT(sprite->draws[4].transform._42, (720 - 120) / 3.0f + 120) << "below the logo";
    EXPECT_EQ(sprite->draws[4].transform._41, (1280 - 128) * 0.5f);
    CourseList::ResetInstance();
}

TEST_F(TitleTest, UpChoosesTheModeRowWhereLeftAndRightStepTheModesAndEnterBeginsAChampionship) {
    CourseList& list = CourseList::Instance();
    CourseEntry a = CourseList::BuiltIn(), b = CourseList::BuiltIn();
    b.id = "b";
    list.courses = {a, b};
    auto press = [this](int key) {
        Hold(key, true);
        title.Update();
        Hold(key, false);
        title.Update();
    };
    EXPECT_EQ(title.session->mode, RaceMode::Race) << "the game's own race comes first";
    press(VK_RIGHT);
    EXPECT_EQ(list.selected, 1u) << "the course row is chosen at first";
    press(VK_UP);
    press(VK_RIGHT);
    EXPECT_EQ(title.session->mode, RaceMode::Trial);
    EXPECT_EQ(list.selected, 1u) << "the mode row leaves the course alone";
    press(VK_RIGHT);
    press(VK_RIGHT);
    EXPECT_EQ(title.session->mode, RaceMode::Race) << "wraps round";
    press(VK_LEFT);
    EXPECT_EQ(title.session->mode, RaceMode::Championship);
    press(VK_DOWN);
    press(VK_RIGHT);
    EXPECT_EQ(list.selected, 1u) << "a championship races every course: there is none to choose";
    Hold(VK_RETURN, true);
    EXPECT_EQ(title.Update(), kGameScene);
    ASSERT_TRUE(title.session->championship);
    EXPECT_EQ(title.session->championship->courses, (std::vector<std::string>{a.id, "b"}));
    EXPECT_EQ(title.session->championship->raced, 0u);
    EXPECT_EQ(list.Selected().id, a.id) << "its first race";
    CourseList::ResetInstance();
}

// N opens the Online screen over the title and its keys are its own (Enter does not race); the
// address line offers the last one joined, types and erases; a link that cannot be opened says why;
// Escape steps back, page by page, to the title.
TEST_F(TitleTest, NOpensTheOnlineScreenWhoseKeysAreItsOwnAndEscapeStepsBack) {
    std::string asked;
    title.session->openOnline = [&](bool hosting, const std::string& address, std::uint16_t port,
                                    std::string* error) -> std::shared_ptr<net::NetRace> {
        asked = (hosting ? "host " : "join ") + address + ":" + std::to_string(port);
        *error = "no network here";
        return nullptr;
    };
    title.settings->values.lastJoin = "h";
    auto press = [this](int key) {
        Hold(key, true);
        const std::int32_t next = title.Update();
        Hold(key, false);
        title.Update();
        return next;
    };
    press('N');
    ASSERT_TRUE(title.lobby.IsOpen());
    EXPECT_EQ(press(VK_RETURN), kTitleScene) << "Enter hosts; it does not race";
    EXPECT_EQ(asked, "host :47031");
    EXPECT_EQ(title.lobby.Shown(), OnlineLobby::Page::Choose) << "a host that cannot listen stays on the choice";
    press(VK_DOWN);
    press(VK_RETURN);
    ASSERT_EQ(title.lobby.Shown(), OnlineLobby::Page::Address);
    for (int key : {int{'1'}, VK_OEM_PERIOD, int{'2'}, VK_OEM_1, int{'9'}, int{'9'}, VK_BACK}) press(key);
    press(VK_RETURN);
    EXPECT_EQ(asked, "join h1.2:9");
    EXPECT_EQ(title.lobby.Shown(), OnlineLobby::Page::Address) << "back on the line, with the reason";
    press(VK_ESCAPE);
    EXPECT_EQ(title.lobby.Shown(), OnlineLobby::Page::Choose);
    press(VK_ESCAPE);
    EXPECT_FALSE(title.lobby.IsOpen());
    EXPECT_EQ(title.session->online, nullptr);
}

} // namespace
