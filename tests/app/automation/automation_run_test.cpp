// A whole scripted headless run through the automation hooks: keys, answers, trace and recording.
#include <fstream>
#include <sstream>

#include "app/automation/automation.h"
#include "support/game_test_support.h"

namespace {

std::vector<std::string> Lines(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

class AutomationRunTest : public GameShellTest {
protected:
    void SetUp() override {
        GameShellTest::SetUp();
        GraphicsDevice::ResetInstance(); // Run creates its own device
        folder.WriteWav("data/Sound/push.wav");
    }
    void TearDown() override {
        Application::Instance().Shutdown();
        GameShellTest::TearDown();
    }
    // Runs the game loop as main does, with the given flags after the program name.
    void Run(std::vector<const char*> args) {
        args.insert(args.begin(), "orlenda");
        LaunchFlags flags;
        std::string error;
        ASSERT_TRUE(ParseLaunchFlags(int(args.size()), args.data(), &flags, &error)) << error;
        Automation automation(flags);
        ASSERT_TRUE(automation.Open(&error)) << error;
        Application& app = Application::Instance();
        automation.Configure(app);
        ASSERT_TRUE(app.Create(nullptr));
        automation.LoopStarting();
        app.Run();
        automation.Finish();
        frames = automation.Stats().Frames();
    }

    ScratchFolder folder{"automation_run"};
    std::size_t frames = 0;
};

TEST_F(AutomationRunTest, ScriptedEnterShowsTheFadeInTheTraceAndIsRecorded) {
    std::ofstream("script.txt") << "# Enter on frame 3\n3 down RETURN\n5 up RETURN\n";
    Run({"--headless", "--frames", "100", "--input", "script.txt", "--trace", "trace.jsonl", "--record", "rec.txt"});
    EXPECT_EQ(frames, 100u);
    auto trace = Lines("trace.jsonl");
    ASSERT_EQ(trace.size(), 100u);
    EXPECT_EQ(trace[0], "{\"frame\":1,\"scene\":0,\"fade\":{\"active\":false,\"alpha\":0,\"fadingIn\":true},"
                        "\"sounds\":[],\"playing\":[]}");
    EXPECT_EQ(trace[2], "{\"frame\":3,\"scene\":0,\"fade\":{\"active\":true,\"alpha\":3,\"fadingIn\":false},"
                        "\"sounds\":[\"push\"],\"playing\":[\"push\"]}");
    // push lasts 10 ms: one frame later it has ended, though nothing stopped it
    EXPECT_NE(trace[3].find("\"sounds\":[],\"playing\":[]}"), std::string::npos) << trace[3];
    EXPECT_NE(trace[87].find("\"frame\":88,\"scene\":0,\"fade\":{\"active\":false,\"alpha\":255"), std::string::npos);
    EXPECT_NE(trace[88].find("\"frame\":89,\"scene\":1,\"fade\":{\"active\":true,\"alpha\":252"), std::string::npos);
    auto recorded = Lines("rec.txt");
    ASSERT_GE(recorded.size(), 15u);
    EXPECT_EQ(recorded[1], "@ key throttle=SPACE") << "the bindings in force head the recording";
    EXPECT_EQ(recorded[9], "@ course map2") << "then the choices that change the race";
    EXPECT_EQ(recorded[10], "@ difficulty normal");
    EXPECT_EQ(recorded[11], "@ ghost on");
    EXPECT_EQ(recorded[12], "@ seed 1") << "the races' seed, even when no flag gave it";
    EXPECT_EQ(recorded[13], "3 down RETURN");
    EXPECT_EQ(recorded[14], "5 up RETURN");
}

TEST_F(AutomationRunTest, ScriptedAnswerYesToTheQuitQuestionEndsTheRunAndIsRecorded) {
    std::ofstream("script.txt") << "10 answer yes\n4 down ESCAPE\n6 up ESCAPE\n12 down ESCAPE\n";
    Run({"--headless", "--frames", "100", "--input", "script.txt", "--record", "rec.txt"});
    EXPECT_EQ(frames, 12u) << "frame 4 takes the default No; frame 12 takes the scripted Yes and is the last";
    auto recorded = Lines("rec.txt");
    std::string all;
    for (const std::string& line : recorded) all += line + "\n";
    EXPECT_NE(all.find("4 down ESCAPE\n4 answer no\n"), std::string::npos) << all;
    EXPECT_NE(all.find("12 down ESCAPE\n12 answer yes\n"), std::string::npos) << all;
}

TEST_F(AutomationRunTest, ARecordingReplaysToTheSameTrace) {
    std::ofstream("script.txt") << "2 down RETURN\n3 up RETURN\n100 down RETURN\n101 up RETURN\n";
    Run({"--headless", "--frames", "300", "--seed", "5", "--input", "script.txt", "--trace", "first.jsonl", "--record",
         "rec.txt"});
    Application::Instance().Shutdown();
    testsupport::ResetSingletons();
    platform::clock::Reset();
    Run({"--headless", "--frames", "300", "--seed", "5", "--input", "rec.txt", "--trace", "second.jsonl"});
    EXPECT_EQ(Lines("first.jsonl"), Lines("second.jsonl"));
}

TEST_F(AutomationRunTest, AMissingOrBadScriptIsRefusedBeforeStarting) {
    LaunchFlags flags;
    const char* missing[] = {"orlenda", "--input", "nowhere.txt"};
    std::string error;
    ASSERT_TRUE(ParseLaunchFlags(3, missing, &flags, &error));
    EXPECT_FALSE(Automation(flags).Open(&error));
    EXPECT_NE(error.find("nowhere.txt"), std::string::npos);
    std::ofstream("bad.txt") << "1 down RETURN\n2 jump\n";
    const char* bad[] = {"orlenda", "--input", "bad.txt"};
    ASSERT_TRUE(ParseLaunchFlags(3, bad, &flags, &error));
    EXPECT_FALSE(Automation(flags).Open(&error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
}

TEST_F(AutomationRunTest, AScriptsHeadersCountAsFlagsAndAGivenFlagWins) {
    std::ofstream("hard.txt") << "@ difficulty hard\n@ seed 9\n@ course mountain\n@ mode trial\n3 down RETURN\n";
    for (bool flagged : {false, true}) {
        std::vector<const char*> args = {"orlenda", "--input", "hard.txt"};
        if (flagged) args.insert(args.end(), {"--difficulty", "easy", "--course", "map2", "--mode", "championship"});
        LaunchFlags flags;
        std::string error;
        ASSERT_TRUE(ParseLaunchFlags(int(args.size()), args.data(), &flags, &error)) << error;
        Automation automation(flags);
        ASSERT_TRUE(automation.Open(&error)) << error;
        EXPECT_EQ(automation.Flags().difficulty, flagged ? Difficulty::Easy : Difficulty::Hard);
        EXPECT_EQ(automation.Flags().seed, 9u);
        EXPECT_EQ(automation.ScriptCourse(), flagged ? "" : "mountain");
        EXPECT_EQ(automation.Flags().mode, flagged ? RaceMode::Championship : RaceMode::Trial);
    }
}

TEST_F(AutomationRunTest, FilesTheFlagsCannotUseAreFlagErrorsAndUnwritableOutputIsAFailure) {
    std::ofstream("script.txt") << "3 down RETURN\n";
    std::filesystem::create_directory("folder");
    const std::vector<std::pair<std::vector<const char*>, int>> cases = {
        {{"--input", "folder"}, 2},
        {{"--trace", "same.jsonl", "--record", "./same.jsonl"}, 2},
        {{"--input", "script.txt", "--record", "script.txt"}, 2},
        {{"--trace", "/dev/null/trace.jsonl"}, 1},
    };
    for (auto [args, expected] : cases) {
        args.insert(args.begin(), "orlenda");
        LaunchFlags flags;
        std::string error;
        ASSERT_TRUE(ParseLaunchFlags(int(args.size()), args.data(), &flags, &error)) << error;
        int status = 0;
        EXPECT_FALSE(Automation(flags).Open(&error, &status)) << args[1];
        EXPECT_EQ(status, expected) << error;
    }
    std::ifstream script("script.txt");
    std::string first;
    std::getline(script, first);
    EXPECT_EQ(first, "3 down RETURN") << "a refused --record leaves the script it would have overwritten alone";
}

} // namespace
