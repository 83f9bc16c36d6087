// Flags, input scripts, trace lines and timing summaries of automated runs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>

#include "app/automation/frame_stats.h"
#include "app/automation/input_script.h"
#include "app/automation/launch_flags.h"
#include "app/automation/trace_writer.h"
#include "platform/window/input.h"
#include "platform/window/message_box.h"

namespace {

bool Parse(std::vector<const char*> args, LaunchFlags* flags, std::string* error = nullptr) {
    args.insert(args.begin(), "orlenda");
    return ParseLaunchFlags(int(args.size()), args.data(), flags, error);
}

TEST(LaunchFlags, NoFlagsIsThePlainGame) {
    LaunchFlags flags;
    ASSERT_TRUE(Parse({}, &flags));
    EXPECT_FALSE(flags.headless || flags.windowed || flags.fullscreen || flags.fixedClock || flags.stats);
    EXPECT_EQ(flags.frames, 0u);
    EXPECT_FALSE(flags.seed.has_value());
}

TEST(LaunchFlags, HeadlessImpliesWindowedAndFixedClock) {
    LaunchFlags flags;
    ASSERT_TRUE(Parse({"--headless", "--frames", "400", "--input", "s.txt", "--trace", "t.jsonl", "--seed", "7",
                       "--stats", "--record", "r.txt"},
                      &flags));
    EXPECT_TRUE(flags.windowed);
    EXPECT_TRUE(flags.fixedClock);
    EXPECT_EQ(flags.frames, 400u);
    EXPECT_EQ(flags.inputFile, "s.txt");
    EXPECT_EQ(flags.traceFile, "t.jsonl");
    EXPECT_EQ(flags.recordFile, "r.txt");
    EXPECT_EQ(flags.seed, 7u);
    EXPECT_TRUE(flags.stats);
}

TEST(LaunchFlags, ScreenshotsRepeat) {
    LaunchFlags flags;
    ASSERT_TRUE(Parse({"--screenshot", "100:title.png", "--screenshot", "5:a:b.png"}, &flags));
    ASSERT_EQ(flags.screenshots.size(), 2u);
    EXPECT_EQ(flags.screenshots[0].frame, 100u);
    EXPECT_EQ(flags.screenshots[0].path, "title.png");
    EXPECT_EQ(flags.screenshots[1].path, "a:b.png");
}

TEST(LaunchFlags, BadValuesAndUnknownFlagsAreRefusedWithAReason) {
    const std::vector<std::vector<const char*>> bad = {
        {"--frames"},
        {"--frames", "0"},
        {"--frames", "12x"},
        {"--frames", "-3"},
        {"--seed", "abc"},
        {"--screenshot", "title.png"},
        {"--screenshot", "0:a.png"},
        {"--screenshot", "5:"},
        {"--fast"},
        {"--windowed", "--fullscreen"},
        {"--headless", "--fullscreen"},
        {"--seed", "99999999999"},
        {"--headless", "--screenshot", "5:a.png"},
        {"--graphics", "ultra"},
        {"--graphics"},
        {"--course"},
        {"--course", ""},
    };
    for (const auto& args : bad) {
        LaunchFlags flags;
        std::string error;
        EXPECT_FALSE(Parse(args, &flags, &error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(LaunchFlags, AScreenshotAfterTheLastFrameIsRefused) {
    LaunchFlags flags;
    std::string error;
    EXPECT_FALSE(Parse({"--frames", "400", "--screenshot", "401:late.png"}, &flags, &error));
    EXPECT_NE(error.find("401"), std::string::npos) << error;
    EXPECT_TRUE(Parse({"--screenshot", "401:late.png", "--frames", "401"}, &flags)) << "the last frame itself is fine";
    EXPECT_TRUE(Parse({"--screenshot", "9999:late.png"}, &flags)) << "no --frames: the run may get there";
}

// The first cells of a README table under `heading` (up to the next heading), header rows left out.
std::vector<std::string> ReadmeTableNames(const std::string& heading) {
    const char* source = std::getenv("ORLENDA_SOURCE");
    std::ifstream readme(std::string(source ? source : "../..") + "/README.md"); // run from build/game
    std::vector<std::string> names;
    bool inside = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("## ", 0) == 0) inside = line == heading;
        if (inside && !names.empty() && line.rfind("|", 0) != 0) break; // the section's first table only
        if (!inside || line.rfind("| ", 0) != 0 || line.find("---") != std::string::npos) continue;
        names.push_back(line.substr(2, line.find(" |", 1) - 2));
    }
    if (!names.empty()) names.erase(names.begin()); // the header row
    return names;
}

// --help shows the same flags and keys as the README's tables, and only flags the parser takes.
TEST(LaunchFlags, HelpListsEveryDocumentedFlagAndKey) {
    std::string usage = LaunchFlagsUsage();
    std::regex flag("--[a-z][a-z-]*");
    std::set<std::string> documented, shown;
    for (const std::string& cell : ReadmeTableNames("## Flags"))
        for (std::sregex_iterator it(cell.begin(), cell.end(), flag), end; it != end; ++it)
            documented.insert(it->str());
    for (std::sregex_iterator it(usage.begin(), usage.end(), flag), end; it != end; ++it) shown.insert(it->str());
    EXPECT_GE(documented.size(), 13u);
    EXPECT_EQ(documented, shown);
    for (const std::string& name : shown) {
        LaunchFlags flags;
        std::string error;
        Parse({name.c_str()}, &flags, &error);
        EXPECT_EQ(error.find("unknown flag"), std::string::npos) << name;
    }
    std::vector<std::string> keys = ReadmeTableNames("## Keys");
    EXPECT_GE(keys.size(), 8u);
    for (const std::string& key : keys) EXPECT_NE(usage.find("\n  " + key + "  "), std::string::npos) << key;
}

TEST(InputScript, ParsesEventsCommentsAndAnyCase) {
    std::vector<ScriptEvent> events;
    std::string error;
    ASSERT_TRUE(ParseInputScript("# start\n10 down RETURN\n\n  12 up return  # let go\n"
                                 "30 answer yes\n31 ANSWER No\r\n40 down c\n41 down SHIFT\n",
                                 &events, &error))
        << error;
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0], (ScriptEvent{10, ScriptEvent::Kind::KeyDown, VK_RETURN, 0}));
    EXPECT_EQ(events[1], (ScriptEvent{12, ScriptEvent::Kind::KeyUp, VK_RETURN, 0}));
    EXPECT_EQ(events[2], (ScriptEvent{30, ScriptEvent::Kind::Answer, 0, IDYES}));
    EXPECT_EQ(events[3], (ScriptEvent{31, ScriptEvent::Kind::Answer, 0, IDNO}));
    EXPECT_EQ(events[4].key, 'C');
    EXPECT_EQ(events[5].key, VK_SHIFT);
}

TEST(InputScript, BadLinesNameTheirLineNumber) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1 down RETURN\nx down RETURN\n", "line 2"},
        {"5 down F2\n", "unknown key"},
        {"5 press RETURN\n", "unknown event"},
        {"5 answer maybe\n", "yes or no"},
        {"5 down\n", "line 1"},
        {"5 down RETURN now\n", "unexpected"},
        {"-5 down RETURN\n", "frame number"},
    };
    for (const auto& [text, expected] : cases) {
        std::vector<ScriptEvent> events;
        std::string error;
        EXPECT_FALSE(ParseInputScript(text, &events, &error)) << text;
        EXPECT_NE(error.find(expected), std::string::npos) << error;
    }
}

TEST(InputScript, EveryKeyAndAnswerSurvivesFormattingAndParsing) {
    std::vector<ScriptEvent> written;
    for (int key : ScriptKeys()) {
        written.push_back({3, ScriptEvent::Kind::KeyDown, key, 0});
        written.push_back({4, ScriptEvent::Kind::KeyUp, key, 0});
    }
    written.push_back({9, ScriptEvent::Kind::Answer, 0, IDYES});
    std::string text;
    for (const ScriptEvent& event : written) text += FormatScriptEvent(event) + "\n";
    std::vector<ScriptEvent> read;
    std::string error;
    ASSERT_TRUE(ParseInputScript(text, &read, &error)) << error;
    EXPECT_EQ(read, written);
    EXPECT_EQ(ScriptKeys().size(), 51u)
        << "RETURN ESCAPE SPACE SHIFT, four arrows, A-Z, 0-9, TAB, CTRL, F1, BACKSPACE SEMICOLON MINUS PERIOD";
}

TEST(InputScript, PlaybackAppliesEventsUpToTheFrameInFileOrder) {
    platform::input::ReleaseAllKeys();
    platform::message_box::ClearAnswers();
    platform::message_box::SetMode(platform::message_box::Mode::Automatic);
    InputScript script({{20, ScriptEvent::Kind::KeyUp, VK_RETURN, 0},
                        {10, ScriptEvent::Kind::KeyDown, VK_RETURN, 0},
                        {20, ScriptEvent::Kind::Answer, 0, IDYES}});
    script.ApplyUpTo(9);
    EXPECT_EQ(GetAsyncKeyState(VK_RETURN), 0);
    script.ApplyUpTo(10);
    EXPECT_NE(GetAsyncKeyState(VK_RETURN) & 0x8000, 0);
    EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_YESNO | MB_DEFBUTTON2), IDNO)
        << "the answer is not due before frame 20";
    script.ApplyUpTo(25);
    EXPECT_EQ(GetAsyncKeyState(VK_RETURN), 0);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_YESNO | MB_DEFBUTTON2), IDYES);
}

TEST(TraceWriter, KeysComeOutInTheDocumentedOrderWhoeverSetThem) {
    TraceWriter trace;
    trace.Begin(812);
    trace.Set("racers", TraceWriter::Array({}));
    trace.Set("extra", TraceWriter::Integer(1));
    trace.Set("playing", TraceWriter::Array({TraceWriter::String("fly")}));
    trace.Set("sounds", TraceWriter::Array({TraceWriter::String("get")}));
    trace.Set("rank", TraceWriter::Integer(3));
    trace.Set("scene", TraceWriter::Integer(1));
    trace.Set("fade", TraceWriter::Object({{"active", TraceWriter::Bool(false)}, {"alpha", TraceWriter::Integer(0)}}));
    trace.Set("rank", TraceWriter::Integer(2));
    EXPECT_EQ(trace.Line(), "{\"frame\":812,\"scene\":1,\"fade\":{\"active\":false,\"alpha\":0},\"rank\":2,"
                            "\"sounds\":[\"get\"],\"playing\":[\"fly\"],\"racers\":[],\"extra\":1}");
    trace.Begin(813);
    EXPECT_FALSE(trace.Has("rank"));
    EXPECT_EQ(trace.Line(), "{\"frame\":813}");
}

TEST(TraceWriter, StringsAreEscapedAndNonFiniteNumbersAreNull) {
    EXPECT_EQ(TraceWriter::String("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\n\\u0001\"");
    EXPECT_EQ(TraceWriter::String("座り"), "\"座り\"");
    EXPECT_EQ(TraceWriter::Number(712.4), "712.4");
    EXPECT_EQ(TraceWriter::Number(-1019.8), "-1019.8");
    EXPECT_EQ(TraceWriter::Number(1.0 / 0.0), "null");
    EXPECT_EQ(TraceWriter::Number(std::nan("")), "null");
}

TEST(FrameStats, NearestRankPercentiles) {
    std::vector<double> samples;
    for (int i = 100; i >= 1; --i) samples.push_back(i);
    TimingSummary s = Summarize(samples);
    EXPECT_DOUBLE_EQ(s.mean, 50.5);
    EXPECT_DOUBLE_EQ(s.p50, 50);
    EXPECT_DOUBLE_EQ(s.p99, 99);
    EXPECT_DOUBLE_EQ(s.max, 100);
    TimingSummary none = Summarize({});
    EXPECT_EQ(none.max, 0);
    TimingSummary one = Summarize({4});
    EXPECT_EQ(one.p50, 4);
    EXPECT_EQ(one.p99, 4);
}

TEST(FrameStats, ReportHasTheLinesScriptsReadAndRenderTimesOnlyOfShownFrames) {
    FrameStats stats;
    stats.AddFrame(1, 2);
    stats.AddFrame(5, -1); // caught up: no picture
    stats.AddFrame(3, 4);
    std::string report = stats.Report();
    EXPECT_EQ(report.rfind("frames 3\nrendered 2\nupdate_ms mean=3.0000 p50=3.0000 p99=5.0000 max=5.0000\n"
                           "render_ms mean=3.0000 p50=2.0000 p99=4.0000 max=4.0000\npeak_rss_mb ",
                           0),
              0u)
        << report;
    EXPECT_GT(PeakResidentMegabytes(), 0);
    EXPECT_EQ(stats.RenderedPerSecond(), 0) << "no loop time measured yet";
    stats.SetLoopMs(500);
    stats.SetLaunchToTitleMs(123.4);
    // Pictures, not updates, per second of loop time: the caught-up frame drew nothing.
    EXPECT_DOUBLE_EQ(stats.RenderedPerSecond(), 4.0);
    stats.AddRaceFrame(30, true);
    stats.AddRaceFrame(10, false);
    stats.AddRaceFrame(10, true);
    EXPECT_NE(stats.Report().find("launch_to_title_ms 123.4\nrendered_fps 4.00\nrace_fps 40.00\n"), std::string::npos);
    EXPECT_GT(MillisecondsSinceProcessStart(), 0) << "the start is marked before main";
}

} // namespace
