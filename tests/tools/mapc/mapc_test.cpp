// mapc: course text and map file round trips, the game's loader reading mapc's output, and
// error messages that point at the offending line.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>

#include "support/content_files.h"

using namespace content_test;

namespace {

std::string TempPath(const std::string& name) { return testing::TempDir() + "mapc_" + name; }

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// A models folder holding every model file the tests' courses name.
std::string Models() {
    std::string folder = TempPath("models");
    std::filesystem::create_directories(folder);
    for (const char* name : {"a.x", "b.x", "church.x", "checkpoint.x", "ground.x", "sail.x", "odd model.x"})
        WriteText(folder + "/" + name, "xof 0303txt 0032\n");
    return folder;
}

int Compile(const std::string& text, std::string* output, const std::string& mapPath = TempPath("out.map")) {
    std::string src = TempPath("in.txt");
    WriteText(src, text);
    return RunCommand(Tool("mapc") + " compile --models '" + Models() + "' " + src + " " + mapPath, output);
}

int CompileFile(const std::string& textPath, const std::string& mapPath, std::string* output) {
    return RunCommand(Tool("mapc") + " compile --models '" + Models() + "' " + textPath + " " + mapPath, output);
}

// The smallest raceable chain, for courses that test something else.
constexpr const char* kChain = "define CheckPoint checkpoint.x\nobject CheckPoint pos 0 0 0 scale 20\n"
                               "object CheckPoint pos 100 0 0 scale 20 number 1\n"
                               "object CheckPoint pos 100 0 100 scale 20 number 2\n";

TEST(Mapc, CourseSurvivesDumpAndCompileByteForByte) {
    std::string out;
    std::string course = SourceDir() + "/content/course/course.txt";
    ASSERT_EQ(RunCommand(Tool("mapc") + " compile --models data/MapObject " + course + " " + TempPath("a.map"), &out),
              0)
        << out;
    std::string dump;
    ASSERT_EQ(RunCommand(Tool("mapc") + " dump " + TempPath("a.map"), &dump), 0) << dump;
    WriteText(TempPath("dump.txt"), dump);
    ASSERT_EQ(
        RunCommand(Tool("mapc") + " compile --models data/MapObject " + TempPath("dump.txt") + " " + TempPath("b.map"),
                   &out),
        0)
        << out;
    EXPECT_EQ(ReadText(TempPath("a.map")), ReadText(TempPath("b.map")));
    EXPECT_EQ(ReadText(TempPath("a.map")), ReadText("data/Map/map2.map")) << "the built map is the course";
}

TEST(Mapc, AwkwardMatricesRoundTripThroughTheMatrixForm) {
    // A shear, a negative zero, a non-unit fourth column and a rotation spelt 270: none of these
    // may change by a bit on the way through the text.
    std::string text = std::string(kChain) +
                       "define \"odd kind\" \"odd model.x\"\n"
                       "define Sail sail.x\n"
                       "object \"odd kind\" matrix 1 0.5 0 0  0 1 -0 0  0 0 1 0.25  1e-7 -3.4e38 0.1 1 number -7\n"
                       "object Sail pos 1 2 3 rot 270 -0 359.5 scale 0.3 2 5 number 2147483647\n";
    std::string out;
    ASSERT_EQ(Compile(text, &out, TempPath("c.map")), 0) << out;
    std::string dump;
    ASSERT_EQ(RunCommand(Tool("mapc") + " dump " + TempPath("c.map"), &dump), 0);
    WriteText(TempPath("c.txt"), dump);
    ASSERT_EQ(CompileFile(TempPath("c.txt"), TempPath("d.map"), &out), 0) << dump << out;
    EXPECT_EQ(ReadText(TempPath("c.map")), ReadText(TempPath("d.map"))) << dump;
    EXPECT_NE(dump.find("\"odd kind\""), std::string::npos);
}

TEST(Mapc, TheMapLayoutIsTheGames) {
    std::string text = "# two kinds, four objects\n"
                       "define church church.x\n"
                       "define CheckPoint checkpoint.x\n"
                       "object CheckPoint pos 10 20 30 scale 2 number 1\n"
                       "object church pos -5 0 7 rot 90 0 0\n"
                       "object CheckPoint pos 1 2 3 number 0   # trailing comment\n"
                       "object CheckPoint pos 50 2 3 number 2\n";
    std::string out;
    ASSERT_EQ(Compile(text, &out, TempPath("g.map")), 0) << out;
    MapFile map;
    ASSERT_TRUE(ReadMapFile(TempPath("g.map"), &map));
    ASSERT_EQ(map.definitions.size(), 2u);
    ASSERT_EQ(map.objects.size(), 4u);
    EXPECT_EQ(map.objects[0].name, "CheckPoint");
    EXPECT_EQ(map.objects[0].number, 1);
    EXPECT_FLOAT_EQ(map.objects[0].world._11, 2.0f);
    EXPECT_FLOAT_EQ(map.objects[0].world._43, 30.0f);
    // Yaw 90 turns the local Z axis onto world +X: row 3 of the matrix.
    EXPECT_NEAR(map.objects[1].world._31, 1.0f, 1e-6);
    EXPECT_NEAR(map.objects[1].world._33, 0.0f, 1e-6);
    EXPECT_EQ(map.objects[2].number, 0);
}

TEST(Mapc, ErrorsNameTheLine) {
    struct Case {
        const char* text;
        const char* where;
    } cases[] = {
        {"define Ground ground.x\nobject Ground pos 1 2\n", ":2:"},
        {"define Ground ground.x\n\nobject Sail pos 0 0 0\n", ":3:"},
        {"# c\ndefine A a.x\ndefine A b.x\n", ":3:"},
        {"frobnicate\n", ":1:"},
        {"define A a.x\nobject A pos 0 0 0 rot 1 2\n", ":2:"},
        {"define A a.x\nobject A pos 0 0 0 number x\n", ":2:"},
        {"define A a.x\nobject A pos 0 0 0 number 1 extra\n", ":2:"},
        {"define \"A a.x\n", ":1:"},
        {"define enddefine a.x\n", ":1:"},
        {"define A a.x\nobject A pos 1e99 0 0\n", ":2:"},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_NE(Compile(c.text, &out), 0) << c.text;
        EXPECT_NE(out.find(std::string("in.txt") + c.where), std::string::npos) << c.text << " -> " << out;
    }
}

TEST(Mapc, RefusesCoursesTheGameCannotRace) {
    const std::string chain3 = "define CheckPoint checkpoint.x\n";
    struct Case {
        std::string text;
        const char* message;
    } cases[] = {
        {chain3 + "object CheckPoint pos 0 0 0\nobject CheckPoint pos 1 0 0 number 1\nobject CheckPoint pos 2 0 0 "
                  "number 3\n",
         "in.txt:4: checkpoint number 3 is outside 0 to 2"},
        {chain3 + "object CheckPoint pos 0 0 0 number 1\nobject CheckPoint pos 1 0 0 number 2\n",
         "in.txt:3: checkpoint number 2 is outside 0 to 1"},
        {chain3 + "object CheckPoint pos 0 0 0\nobject CheckPoint pos 1 0 0\n",
         "in.txt:3: checkpoint number 0 is used again (first on line 2)"},
        {chain3 + "object CheckPoint pos 0 0 0 scale 0\n", "in.txt:2: a checkpoint scaled to nothing"},
        {std::string(kChain) + "define Church church.x\n", "in.txt:5: kind 'Church' differs from the game's 'church'"},
        {std::string(kChain) + "define windtower a.x\n", "the game's 'WindTower' only in letter case"},
        {std::string(kChain) + "define A missing.x\n", "in.txt:5: model file 'missing.x' is not in"},
        {"define A a.x\nobject A pos 0 0 0\n", "in.txt: no CheckPoint objects"},
        {std::string(kChain) + "define A a.x\nobject A pos nan 0 0\n", "in.txt:6: 'nan' is not a finite number"},
        {std::string(kChain) + "define A a.x\nobject A matrix 1 0 0 0 0 1 0 0 0 0 1 0 0 inf 0 1\n", "in.txt:6:"},
    };
    for (const Case& c : cases) {
        std::remove(TempPath("refused.map").c_str());
        std::string out;
        EXPECT_EQ(Compile(c.text, &out, TempPath("refused.map")), 1) << c.text;
        EXPECT_NE(out.find(c.message), std::string::npos) << c.text << " -> " << out;
        EXPECT_FALSE(std::filesystem::exists(TempPath("refused.map"))) << c.text;
    }
    // Without --models the kinds' files are looked for in MapObject beside the course.
    std::filesystem::remove_all(TempPath("beside"));
    std::filesystem::create_directories(TempPath("beside/MapObject"));
    WriteText(TempPath("beside/course.txt"), kChain);
    std::string out;
    EXPECT_EQ(
        RunCommand(Tool("mapc") + " compile " + TempPath("beside/course.txt") + " " + TempPath("beside.map"), &out), 1);
    EXPECT_NE(out.find("beside/MapObject"), std::string::npos) << out;
    WriteText(TempPath("beside/MapObject/checkpoint.x"), "xof 0303txt 0032\n");
    EXPECT_EQ(
        RunCommand(Tool("mapc") + " compile " + TempPath("beside/course.txt") + " " + TempPath("beside.map"), &out), 0)
        << out;
}

// With models it can measure (a unit octahedron and flat ground at height 10), compile refuses rings
// no racer can fly through; check reports the same.
TEST(Mapc, RefusesRingsNoRacerCanFlyThrough) {
    const std::string folder = TempPath("measured");
    std::filesystem::create_directories(folder);
    WriteText(folder + "/ring.x", "xof 0303txt 0032\nMesh {\n 6;\n 1;0;0;, -1;0;0;, 0;1;0;, 0;-1;0;, 0;0;1;, "
                                  "0;0;-1;;\n 2;\n 3;0,2,4;, 3;1,3,5;;\n}\n");
    WriteText(folder + "/flat.x", "xof 0303txt 0032\nMesh {\n 4;\n -500;10;-500;, 500;10;-500;, 500;10;500;, "
                                  "-500;10;500;;\n 2;\n 3;0,1,2;, 3;0,2,3;;\n}\n");
    auto course = [](const std::string& rings) {
        return "define Ground flat.x\ndefine CheckPoint ring.x\nobject Ground pos 0 0 0\n" + rings;
    };
    const std::string a = "object CheckPoint pos 0 50 0 scale 24 number 0\n";
    const std::string b = "object CheckPoint pos 200 50 0 scale 24 number 1\n";
    struct Case {
        std::string text;
        const char* message; // after the file name; nullptr: compiles
    } cases[] = {
        {course(a + b + "object CheckPoint pos 200 50 200 scale 24 number 2\n"), nullptr},
        {course(a + b + "object CheckPoint pos 200 -490 200 scale 24 number 2\n"),
         ":6: checkpoint 2's centre is 500.0 units under the ground"},
        {course(a + b), ": only 2 checkpoint(s); a lap needs at least 3"},
        {course(a + b + "object CheckPoint pos 10 50 20 scale 24 number 2\n"),
         ":6: checkpoint 2 is 22.4 from checkpoint 0 (line 4), closer than their radius 24.0"},
    };
    for (const Case& c : cases) {
        WriteText(TempPath("rings.txt"), c.text);
        std::remove(TempPath("rings.map").c_str());
        std::string out;
        const int status = RunCommand(Tool("mapc") + " compile --models " + folder + " " + TempPath("rings.txt") + " " +
                                          TempPath("rings.map"),
                                      &out);
        if (!c.message) {
            EXPECT_EQ(status, 0) << out;
            continue;
        }
        EXPECT_EQ(status, 1) << c.text;
        EXPECT_NE(out.find(std::string("rings.txt") + c.message), std::string::npos) << c.text << " -> " << out;
        EXPECT_FALSE(std::filesystem::exists(TempPath("rings.map"))) << c.text;
        EXPECT_NE(RunCommand(Tool("mapc") + " check --models " + folder + " " + TempPath("rings.txt"), &out), 0);
    }
}

// A map the game loads may hold what the course text cannot say: a kind defined twice, objects of
// kinds without a definition, a non-finite matrix, names with control bytes. The dump keeps what
// the game uses, so compiling it gives the map the game actually plays.
TEST(Mapc, DumpOfAQuirkyMapCompilesToWhatTheGamePlays) {
    auto str = [](std::string& out, const std::string& s) { out += char(s.size()), out += s; };
    auto object = [&](std::string& out, const std::string& kind, float x, std::int32_t number) {
        str(out, kind);
        float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, 2, 3, 1};
        out.append(reinterpret_cast<const char*>(m), sizeof m);
        out.append(reinterpret_cast<const char*>(&number), 4);
    };
    auto header = [&](std::string& out) {
        out.assign("\1\0\0\0", 4);
        str(out, "CheckPoint"), str(out, "checkpoint.x");
        str(out, "tab\tkind"), str(out, "a.x");
    };
    std::string played, quirky;
    header(played);
    header(quirky);
    str(quirky, "tab\tkind"), str(quirky, "b.x");
    str(played, "enddefine"), str(quirky, "enddefine");
    for (std::int32_t n = 0; n < 3; ++n) object(played, "CheckPoint", 1 + 60.0f * n, n);
    for (std::int32_t n = 0; n < 3; ++n) object(quirky, "CheckPoint", 1 + 60.0f * n, n);
    object(quirky, "Ghost", 2, 0);
    object(quirky, "tab\tkind", std::numeric_limits<float>::quiet_NaN(), 5);
    object(played, "tab\tkind", 4, 1), object(quirky, "tab\tkind", 4, 1);
    str(played, "end"), str(quirky, "end");
    WriteText(TempPath("quirky.map"), quirky);
    std::string dump, out;
    ASSERT_EQ(RunCommand(Tool("mapc") + " dump " + TempPath("quirky.map") + " 2>/dev/null", &dump), 0) << dump;
    WriteText(TempPath("quirky.txt"), dump);
    ASSERT_EQ(CompileFile(TempPath("quirky.txt"), TempPath("played.map"), &out), 0) << dump << out;
    EXPECT_EQ(ReadText(TempPath("played.map")), played) << dump;
}

TEST(Mapc, DumpRejectsBrokenFilesWithoutCrashing) {
    std::string good;
    ASSERT_EQ(Compile(std::string(kChain) + "define A a.x\nobject A pos 1 2 3 number 4\n", &good, TempPath("t.map")), 0)
        << good;
    std::string bytes = ReadText(TempPath("t.map"));
    for (size_t cut : {size_t(0), size_t(3), size_t(10), bytes.size() - 1}) {
        WriteText(TempPath("cut.map"), bytes.substr(0, cut));
        std::string out;
        EXPECT_EQ(RunCommand(Tool("mapc") + " dump " + TempPath("cut.map"), &out), 1) << cut;
        EXPECT_NE(out.find("mapc:"), std::string::npos);
    }
    std::string negative = bytes;
    negative[4] = char(0x90); // a name length above 127
    WriteText(TempPath("neg.map"), negative);
    std::string out;
    EXPECT_EQ(RunCommand(Tool("mapc") + " dump " + TempPath("neg.map"), &out), 1);
}

} // namespace
