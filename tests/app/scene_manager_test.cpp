// The scene change protocol frame by frame: request, fade-out, one more update, swap, fade-in.
#include <functional>
#include <map>

#include "support/game_test_support.h"

namespace {

// What happened in one frame: updates, inits and the fade alpha each render drew.
struct FrameLog {
    std::vector<std::string> events;
};

class ScriptedScene : public SceneBase {
public:
    ScriptedScene(std::int32_t id, std::map<int, FrameLog>* frameLog, const int* frameNumber,
                  std::function<std::int32_t(int)> wantedAt)
        : log(frameLog), frame(frameNumber), wanted(std::move(wantedAt)) {
        sceneId = id;
    }
    void Init() override { Note("init" + std::to_string(sceneId)); }
    std::int32_t Update() override {
        Note("update" + std::to_string(sceneId));
        return wanted(*frame);
    }
    void DrawWorld() override {}
    void Render() override {
        MapManager& map = MapManager::Instance();
        bool drew = map.fadeShown;
        map.DrawFade();
        Note("render" + std::to_string(sceneId) + (drew ? " alpha=" + std::to_string(map.alpha) : ""));
    }
    void Release() override {}

private:
    void Note(const std::string& what) { (*log)[*frame].events.push_back(what); }
    std::map<int, FrameLog>* log;
    const int* frame;
    std::function<std::int32_t(int)> wanted;
};

class SceneManagerTest : public GameShellTest {
protected:
    // Scene 0 asks for scene 1 on the frames in `requests`; scene 1 always stays.
    void Start(std::vector<int> requests) {
        SceneManager::Instance().factory = [this, requests](std::int32_t id) -> std::unique_ptr<SceneBase> {
            if (id == 0)
                return std::make_unique<ScriptedScene>(0, &log, &frame, [requests](int f) {
                    return std::find(requests.begin(), requests.end(), f) != requests.end() ? 1 : 0;
                });
            if (id == 1) return std::make_unique<ScriptedScene>(1, &log, &frame, [](int) { return 1; });
            return nullptr;
        };
        SceneManager::Instance().ChangeScene(0);
    }
    // The main loop's two scene calls for frames up to `last`.
    void RunTo(int last) {
        SceneManager& scenes = SceneManager::Instance();
        for (frame = frame + 1; frame <= last; ++frame) {
            scenes.Update();
            scenes.Animate();
            if (scenes.scene) scenes.scene->Render();
        }
        frame = last;
    }
    std::vector<std::string> Events(int f) { return log[f].events; }
    int CountFrames(const std::string& event, int from, int to) {
        int count = 0;
        for (int f = from; f <= to; ++f)
            for (const std::string& e : log[f].events) count += e == event;
        return count;
    }

    std::map<int, FrameLog> log;
    int frame = 0;
};

TEST_F(SceneManagerTest, FirstSceneIsUpdatedFromTheFirstFrameWithoutFade) {
    Start({});
    RunTo(1);
    EXPECT_EQ(Events(0), (std::vector<std::string>{"init0"}));
    EXPECT_EQ(Events(1), (std::vector<std::string>{"update0", "render0"}));
}

TEST_F(SceneManagerTest, ChangeFadesOutFor86FramesUpdatesOnceMoreThenFadesIn) {
    Start({10});
    RunTo(200);
    // Frame 10: the request; the fade-out starts at 0 and that very render draws 3.
    EXPECT_EQ(Events(10), (std::vector<std::string>{"update0", "render0 alpha=3"}));
    EXPECT_EQ(Events(94), (std::vector<std::string>{"render0 alpha=255"}));
    EXPECT_EQ(Events(95), (std::vector<std::string>{"render0 alpha=255"})) << "the 86th frame clamps and ends";
    EXPECT_EQ(CountFrames("update0", 11, 95), 0) << "no update during the fade-out";
    // Frame 96: the old scene's last update, then the swap and the first fade-in frame.
    EXPECT_EQ(Events(96), (std::vector<std::string>{"update0", "init1", "render1 alpha=252"}));
    EXPECT_EQ(Events(180), (std::vector<std::string>{"render1 alpha=0"}));
    EXPECT_EQ(Events(181), (std::vector<std::string>{"render1 alpha=0"}));
    EXPECT_EQ(CountFrames("update1", 96, 181), 0) << "no update during the fade-in";
    EXPECT_EQ(Events(182), (std::vector<std::string>{"update1", "render1"}));
    EXPECT_FALSE(SceneManager::Instance().changePending);
    EXPECT_EQ(SceneManager::Instance().scene->sceneId, 1);
}

TEST_F(SceneManagerTest, ASecondRequestAtTheSwapRestartsTheFadeOut) {
    Start({10, 96});
    RunTo(300);
    EXPECT_EQ(Events(96), (std::vector<std::string>{"update0", "render0 alpha=3"}));
    EXPECT_EQ(CountFrames("init1", 1, 181), 0);
    EXPECT_EQ(Events(182), (std::vector<std::string>{"update0", "init1", "render1 alpha=252"}));
}

TEST_F(SceneManagerTest, AgainBuildsTheSameSceneAfreshThroughTheFade) {
    SceneManager::Instance().factory = [this](std::int32_t id) -> std::unique_ptr<SceneBase> {
        return std::make_unique<ScriptedScene>(id, &log, &frame,
                                               [id](int f) { return f == 10 ? SceneBase::kAgain : id; });
    };
    SceneManager::Instance().ChangeScene(1);
    RunTo(200);
    EXPECT_EQ(Events(10), (std::vector<std::string>{"update1", "render1 alpha=3"}));
    EXPECT_EQ(Events(96), (std::vector<std::string>{"update1", "init1", "render1 alpha=252"}));
    EXPECT_EQ(CountFrames("init1", 1, 200), 1);
    EXPECT_EQ(Events(182), (std::vector<std::string>{"update1", "render1"}));
}

TEST_F(SceneManagerTest, UnknownIdsBuildNothingAndAnEmptyManagerDoesNothing) {
    SceneManager& scenes = SceneManager::Instance();
    scenes.ChangeScene(7);
    EXPECT_EQ(scenes.scene, nullptr);
    scenes.Update(); // no scene: nothing happens, nothing crashes
    EXPECT_FALSE(MapManager::Instance().active);
    scenes.ChangeScene(0); // the real factory: the title
    ASSERT_NE(scenes.scene, nullptr);
    EXPECT_EQ(scenes.scene->sceneId, 0);
    scenes.ChangeScene(1);
    ASSERT_NE(scenes.scene, nullptr);
    EXPECT_EQ(scenes.scene->sceneId, 1);
}

} // namespace
