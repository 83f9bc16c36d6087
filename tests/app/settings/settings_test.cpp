// The settings file (defaults, every bad value, atomic write, saving changes in place), key
// bindings with their swaps, bindings and choices from script headers, and the options screen
// driven by a script.
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "app/automation/automation.h"
#include "app/settings/settings_file.h"
#include "app/settings/settings_in_force.h"
#include "support/game_test_support.h"
#include "scenes/title.h"

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

bool Held(int gameKey) { return (GetAsyncKeyState(gameKey) & 0x8000) != 0; }

TEST(SettingsFile, NoFileMeansTheDefaultsAndAFullFileIsReadWhole) {
    LoadedSettings none = LoadSettings("/nonexistent/orlenda/settings.ini");
    EXPECT_TRUE(none.messages.empty());
    EXPECT_TRUE(none.writable);
    EXPECT_EQ(none.settings, Settings{});

    LoadedSettings full =
        ParseSettings("version = 1\n[general]\nlanguage = ja\n"
                      "[video]\nfullscreen = no ; windowed\ngraphics = LOW\n"
                      "[audio]\nmusic = 40\neffects = 0\n[keys]\nthrottle = W, SPACE\nleft = A\n"
                      "[race]\ndifficulty = hard\nghost = off\n"
                      "[network]\ninput_delay = 0\nlast_join = 192.168.1.5:47031\nname = Ada Lovelace\n",
                      "s.ini");
    EXPECT_TRUE(full.messages.empty()) << full.messages.front();
    const Settings& s = full.settings;
    EXPECT_EQ(s.language, Language::Japanese);
    EXPECT_EQ(s.fullscreen, FullScreenChoice::No);
    EXPECT_EQ(s.graphics, GraphicsLevel::Low);
    EXPECT_EQ(s.music, 40);
    EXPECT_EQ(s.effects, 0);
    EXPECT_EQ(s.keys.Keys(0), (std::vector<int>{'W', VK_SPACE}));
    EXPECT_EQ(s.keys.Keys(2), std::vector<int>{'A'});
    EXPECT_EQ(s.difficulty, Difficulty::Hard);
    EXPECT_FALSE(s.ghost);
    EXPECT_EQ(s.inputDelay, 0);
    EXPECT_EQ(s.lastJoin, "192.168.1.5:47031");
    EXPECT_EQ(s.name, "Ada Lovelace");
    EXPECT_EQ(ParseSettings(FormatSettings(s), "again").settings, s) << "what is written reads back the same";
}

TEST(SettingsFile, EveryBadValueNamesItsLineAndUsesTheDefault) {
    struct Case {
        std::string text, expected;
        bool writable = true;
        bool allDefault = true; // nothing else in the text was good
    };
    const std::vector<Case> cases = {
        {"[general]\nlanguage = fr\n", "s.ini:2: language is auto|en|ja, not 'fr'; using auto"},
        {"[video]\nfullscreen = maybe\n", "s.ini:2: fullscreen is ask|yes|no, not 'maybe'; using ask"},
        {"[video]\ngraphics = ultra\n", "s.ini:2: graphics is full|fast|low, not 'ultra'; using full"},
        {"[audio]\nmusic = 150\n", "s.ini:2: music is a whole number 0..100, not '150'; using 100"},
        {"[audio]\n\neffects = -1\n", "s.ini:3: effects is a whole number 0..100, not '-1'; using 100"},
        {"[audio]\nmusic = 5x\n", "not '5x'; using 100"},
        {"[race]\ndifficulty = insane\n", "difficulty is easy|normal|hard, not 'insane'; using normal"},
        {"[race]\nghost = maybe\n", "ghost is off|on, not 'maybe'; using on"},
        {"[network]\ninput_delay = 5\n", "s.ini:2: input_delay is a whole number 0..4, not '5'; using 1"},
        {"[network]\nlast_join = my host\n", "last_join is an address (HOST or HOST:PORT), not 'my host'; using none"},
        {"[network]\nname = a name far longer than twenty-four\n", "name is a name of up to 24 characters"},
        {"[keys]\nthrottle = SPACEBAR\n", "s.ini:2: throttle: unknown key name 'SPACEBAR'; using SPACE"},
        {"[keys]\nboost = SHIFT,\n", "boost: an empty key name; using SHIFT"},
        {"[keys]\nleft = RETURN\n", "RETURN cannot be bound (Enter keeps its meaning); using LEFT"},
        {"[keys]\nright = ESCAPE\n", "ESCAPE cannot be bound"},
        {"[keys]\nautopilot = P\n", "P cannot be bound (P pauses the race); using C"},
        {"[keys]\nthrottle = W\nboost = W\n", "s.ini:3: W is already bound to throttle; boost uses SHIFT", true, false},
        {"[keys]\nthrottle = SHIFT\n", "s.ini:2: SHIFT is already bound to boost; throttle uses SPACE"},
        {"[keys]\nnose_up = SPACE\n", "s.ini:2: SPACE is already bound to throttle; nose_up uses UP"},
        {"[keys]\njump = J\n", "s.ini:2: unknown action 'jump' in [keys]; ignored"},
        {"[sound]\nmusic = 3\n", "unknown setting 'music' in [sound]; ignored"},
        {"version = two\n", "version 'two' is not a version number"},
        {"version = 2\n", "written by a newer game (version 2)", false},
        {"[audio]\nmusic 40\n", "s.ini:2: not a 'key = value' line", false},
    };
    for (const Case& c : cases) {
        LoadedSettings loaded = ParseSettings(c.text, "s.ini");
        ASSERT_EQ(loaded.messages.size(), 1u) << c.text;
        EXPECT_NE(loaded.messages[0].find(c.expected), std::string::npos) << loaded.messages[0];
        EXPECT_EQ(loaded.writable, c.writable) << c.text;
        if (c.allDefault) { EXPECT_EQ(loaded.settings, Settings{}) << "only the default is left: " << c.text; }
    }
}

TEST(SettingsFile, UnreadableFileIsLeftAloneAndSavingIsAtomic) {
    ScratchFolder folder("settings_file");
    std::filesystem::create_directories("folder.ini");
    LoadedSettings unreadable = LoadSettings("folder.ini");
    EXPECT_FALSE(unreadable.writable);
    ASSERT_EQ(unreadable.messages.size(), 1u);
    EXPECT_NE(unreadable.messages[0].find("folder.ini: Is a directory; using the default settings"), std::string::npos);

    Settings changed;
    changed.music = 30;
    std::string error;
    ASSERT_TRUE(SaveSettings("deep/er/settings.ini", changed, &error)) << error;
    EXPECT_EQ(LoadSettings("deep/er/settings.ini").settings, changed);
    std::ofstream("deep/er/settings.ini", std::ios::app) << "; the player's own note\n";
    EXPECT_FALSE(SaveSettings("folder.ini", changed, &error)) << "rename over a folder fails";
    EXPECT_NE(error.find("folder.ini"), std::string::npos);
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(".")) files += entry.is_regular_file();
    EXPECT_EQ(files, 1) << "no temporary file is left behind";
    EXPECT_TRUE(std::filesystem::is_directory("folder.ini"));
}

TEST(SettingsFile, ALongLineIsOneMessageAndProblemsPastTwentyAreCounted) {
    std::string text = "[audio]\nmusic = " + std::string(5000, '9') + "\neffects = 30\n";
    for (int i = 0; i < 25; ++i) text += "effects = loud\n";
    LoadedSettings loaded = ParseSettings(text, "s.ini");
    ASSERT_EQ(loaded.messages.size(), 21u);
    EXPECT_EQ(loaded.messages[0], "s.ini:2: longer than 4096 bytes; line ignored");
    EXPECT_EQ(loaded.messages[1], "s.ini:4: effects is a whole number 0..100, not 'loud'; using 30");
    EXPECT_EQ(loaded.messages[20], "s.ini: ... and 6 more problems");
    EXPECT_EQ(loaded.settings.music, 100);
    EXPECT_TRUE(loaded.writable) << "a skipped line is kept as it is when the file is saved";
}

TEST(SettingsFile, SavingChangesOnlyTheChangedLinesThroughALinkAndKeepsTheMode) {
    ScratchFolder folder("settings_save");
    const std::string original =
        "; mine\nversion = 1\n\n[audio]\nmusic=40   ; quiet\nreverb = 3\n\n[keys]\nboost = W\n";
    std::ofstream("target.ini") << original;
    ::chmod("target.ini", 0644);
    std::filesystem::create_symlink("target.ini", "link.ini");
    Settings before, after;
    after.music = 70;
    after.effects = 20;
    after.lastJoin = "10.0.0.7:47031";
    ASSERT_TRUE(after.keys.Rebind(0, 'W', nullptr)); // throttle takes W: the file's boost must give it up
    std::string error;
    ASSERT_TRUE(SaveSettingsChanges("link.ini", before, after, &error)) << error;
    EXPECT_TRUE(std::filesystem::is_symlink("link.ini"));
    EXPECT_EQ(ReadAll("target.ini"), "; mine\nversion = 1\n\n[audio]\nmusic=70   ; quiet\nreverb = 3\neffects = 20\n\n"
                                     "[keys]\nboost = SHIFT\nthrottle = W\n\n[network]\nlast_join = 10.0.0.7:47031\n");
    struct stat info {};
    ASSERT_EQ(::stat("target.ini", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);

    // A new file: every setting but one a flag holds for this run (graphics low, unchanged).
    before.graphics = after.graphics = GraphicsLevel::Low;
    ASSERT_TRUE(SaveSettingsChanges("new/settings.ini", before, after, &error)) << error;
    const std::string created = ReadAll("new/settings.ini");
    EXPECT_EQ(created.find("graphics"), std::string::npos) << created;
    EXPECT_EQ(ParseSettings(created, "new").settings.music, 70);
    EXPECT_TRUE(ParseSettings(created, "new").messages.empty()) << created;
}

// Two games share the file: while another holds its lock, a change lasts for this run only and the
// file stays as that game left it; once the lock is free the change is saved.
TEST(SettingsFile, AChangeWaitsForAnotherGamesSaveAndIsKeptForTheRunWhenItNeverEnds) {
    ScratchFolder folder("settings_lock");
    std::ofstream("settings.ini") << "version = 1\n[audio]\nmusic = 40\n";
    platform::fs::FolderLock other;
    std::string error;
    ASSERT_EQ(other.Acquire("settings.ini.lock", std::chrono::milliseconds(0), &error),
              platform::fs::FolderLock::Result::Taken)
        << error;
    SettingsInForce inForce;
    inForce.path = "settings.ini";
    inForce.values.music = 70;
    std::string message;
    EXPECT_FALSE(inForce.SaveChanges(Settings{}, &message));
    EXPECT_EQ(message, "changes kept for this run only: settings.ini.lock is held by another game");
    EXPECT_EQ(ReadAll("settings.ini"), "version = 1\n[audio]\nmusic = 40\n");
    other.Release();
    ASSERT_TRUE(inForce.SaveChanges(Settings{}, &message)) << message;
    EXPECT_EQ(ParseSettings(ReadAll("settings.ini"), "s").settings.music, 70);
}

TEST(KeyBindings, RebindingSwapsWithTheActionThatHeldTheKey) {
    KeyBindings keys;
    std::string reason;
    ASSERT_TRUE(keys.Rebind(0, 'W', &reason));
    EXPECT_EQ(keys.KeyList(0), "W");
    ASSERT_TRUE(keys.Rebind(0, VK_UP, &reason)) << "UP belongs to nose_up";
    EXPECT_EQ(keys.KeyList(0), "UP");
    EXPECT_EQ(keys.KeyList(4), "W") << "nose_up took the key throttle gave up";
    EXPECT_FALSE(keys.Rebind(1, VK_RETURN, &reason));
    EXPECT_EQ(keys.KeyList(1), "SHIFT");

    keys.Apply();
    platform::input::ReleaseAllKeys();
    platform::input::SetKeyDown(VK_UP, true);
    EXPECT_TRUE(Held(VK_SPACE)) << "the arrow now throttles";
    EXPECT_FALSE(Held(VK_UP));
    EXPECT_TRUE(Held(VK_NAVIGATION_UP)) << "menus still move with the arrow";
    KeyBindings{}.Apply();
    platform::input::ReleaseAllKeys();
}

TEST(InputScript, KeyHeadersBindBeforeTheFirstFrameAndBadOnesAreRefused) {
    ParsedScript script;
    std::string error;
    ASSERT_TRUE(ParseInputScript("# rebound\n@ key throttle=W\n@ key boost=Q,TAB\n10 down W\n", &script, &error))
        << error;
    EXPECT_EQ(script.bindings.KeyList(0), "W");
    EXPECT_EQ(script.bindings.KeyList(1), "Q,TAB");
    EXPECT_EQ(script.events.size(), 1u);
    EXPECT_NE(FormatBindingHeaders(script.bindings).find("@ key throttle=W\n@ key boost=Q,TAB\n"), std::string::npos);
    for (const std::string bad : {"@ key jump=W\n", "@ key throttle=RETURN\n", "@ key throttle=UP\n",
                                  "@ keys throttle=W\n", "@ key throttle\n"}) {
        EXPECT_FALSE(ParseInputScript(bad, &script, &error)) << bad;
        EXPECT_NE(error.find("line 1"), std::string::npos) << error;
    }
}

TEST(InputScript, ChoiceHeadersNameTheRaceAndBadOnesAreRefused) {
    ParsedScript script;
    std::string error;
    ASSERT_TRUE(ParseInputScript("@ course Mountain Pass\n@ difficulty hard\n@ ghost off\n@ seed 7\n", &script, &error))
        << error;
    EXPECT_EQ(script.choices.course, "Mountain Pass");
    EXPECT_EQ(script.choices.difficulty, Difficulty::Hard);
    EXPECT_EQ(script.choices.ghost, false);
    EXPECT_EQ(script.choices.seed, 7u);
    EXPECT_EQ(FormatChoiceHeaders(script.choices),
              "@ course Mountain Pass\n@ difficulty hard\n@ ghost off\n@ seed 7\n");
    for (const std::string bad : {"@ difficulty insane\n", "@ ghost maybe\n", "@ seed -1\n", "@ course\n"})
        EXPECT_FALSE(ParseInputScript(bad, &script, &error)) << bad;
}

// The options screen through a whole scripted run: a volume and a key change land in the file.
class OptionsRunTest : public GameShellTest {
protected:
    void SetUp() override {
        GameShellTest::SetUp();
        testsupport::UseJapanese();
        GraphicsDevice::ResetInstance();
        SoundManager::ResetInstance();
        folder.WriteWav("data/Sound/BGM.wav");
        platform::message_box::SetObserver([this](const std::string&, const std::string& text, int) {
            if (text == "ゲームを終了しますか？") ++boxes;
        });
    }
    void TearDown() override {
        Application::Instance().Shutdown();
        SoundManager::ResetInstance();
        KeyBindings{}.Apply();
        GameShellTest::TearDown();
    }
    void Run(const std::string& script, const std::string& config, std::vector<const char*> extra = {}) {
        std::ofstream("script.txt") << script;
        std::vector<const char*> args = {"orlenda", "--headless", "--frames", "60",
                                         "--input", "script.txt", "--config", config.c_str()};
        args.insert(args.end(), extra.begin(), extra.end());
        LaunchFlags flags;
        std::string error;
        ASSERT_TRUE(ParseLaunchFlags(int(args.size()), args.data(), &flags, &error)) << error;
        Application& app = Application::Instance();
        app.settings.path = (folder.root / config).string();
        LoadedSettings loaded = LoadSettings(app.settings.path);
        app.settings.values = loaded.settings;
        if (!loaded.writable) app.settings.keptBecause = "unreadable";
        Automation automation(flags);
        ASSERT_TRUE(automation.Open(&error)) << error;
        automation.Configure(app);
        ASSERT_TRUE(app.Create(nullptr));
        automation.LoopStarting();
        app.Run();
        automation.Finish();
    }

    ScratchFolder folder{"options_run"};
    int boxes = 0; // quit questions
};

TEST_F(OptionsRunTest, AVolumeAndABindingChangedOnScreenAreSavedOnLeaving) {
    // O opens the screen; down twice to the music, left once; down twice to throttle, Enter, W;
    // Escape leaves and saves; then F1 shows the controls and Escape closes them.
    Run("2 down O\n3 up O\n5 down DOWN\n6 up DOWN\n8 down DOWN\n9 up DOWN\n11 down LEFT\n12 up LEFT\n"
        "14 down DOWN\n15 up DOWN\n17 down DOWN\n18 up DOWN\n20 down RETURN\n21 up RETURN\n23 down W\n24 up W\n"
        "26 down ESCAPE\n27 up ESCAPE\n30 down F1\n31 up F1\n33 down ESCAPE\n34 up ESCAPE\n",
        "config/settings.ini");
    EXPECT_EQ(boxes, 0) << "Escape leaving the options or the controls never asks to quit";
    const std::string saved = ReadAll("config/settings.ini");
    EXPECT_NE(saved.find("music = 90\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("throttle = W\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("effects = 100\n"), std::string::npos) << saved;
    ASSERT_GE(SoundManager::Instance().InstanceCount("BGM"), 1u);
    EXPECT_FLOAT_EQ(SoundManager::Instance().GetInstance("BGM", 0)->buffer->GetGain(), 0.9f) << "applied at once";
    platform::input::ReleaseAllKeys();
    platform::input::SetKeyDown('W', true);
    EXPECT_TRUE(Held(VK_SPACE)) << "the new key throttles from now on";
}

TEST_F(OptionsRunTest, AFileThatCouldNotBeReadIsNeverOverwritten) {
    std::ofstream("broken.ini") << "[audio]\nthis is not an entry\nmusic = 20\n";
    Run("2 down O\n3 up O\n5 down LEFT\n6 up LEFT\n8 down ESCAPE\n9 up ESCAPE\n", "broken.ini");
    EXPECT_EQ(ReadAll("broken.ini"), "[audio]\nthis is not an entry\nmusic = 20\n");
    EXPECT_EQ(Application::Instance().settings.values.fullscreen, FullScreenChoice::No) << "changed for this run only";
}

TEST_F(OptionsRunTest, AFlagIsShownAndKeptWhenOnlyTheVolumeChanges) {
    std::ofstream("flags.ini") << "[video]\ngraphics = full\n[race]\ndifficulty = easy\n";
    Run("2 down O\n3 up O\n5 down DOWN\n6 up DOWN\n8 down DOWN\n9 up DOWN\n11 down LEFT\n12 up LEFT\n"
        "14 down ESCAPE\n15 up ESCAPE\n",
        "flags.ini", {"--graphics", "low", "--difficulty", "hard"});
    const Settings& inForce = Application::Instance().settings.values;
    EXPECT_EQ(inForce.graphics, GraphicsLevel::Low) << "what the options screen shows and the run draws with";
    EXPECT_EQ(GraphicsDevice::Instance().quality, GraphicsQuality::Low) << "the glow stays off";
    EXPECT_EQ(inForce.difficulty, Difficulty::Hard);
    EXPECT_EQ(ReadAll("flags.ini"), "[video]\ngraphics = full\n[race]\ndifficulty = easy\n\n[audio]\nmusic = 90\n");
}

} // namespace
