// contentgen: writes every model, texture and sound of the game into a data folder, the same
// bytes on every run (fixed seeds, no clock, no randomness from the system).
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "characters.h"
#include "course_design.h"
#include "effect_textures.h"
#include "icon.h"
#include "map_models.h"
#include "props.h"
#include "sounds.h"
#include "text_render.h"
#include "ui_textures.h"

namespace fs = std::filesystem;

namespace {

bool Step(const char* what, bool ok) {
    if (!ok) std::fprintf(stderr, "contentgen: failed to write %s\n", what);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--icon") return Step(argv[2], WriteIcon(argv[2])) ? 0 : 1;
    if ((argc != 3 && argc != 7) || std::string(argv[1]) != "--out" ||
        (argc == 7 && (std::string(argv[3]) != "--courses" || std::string(argv[5]) != "--shipped"))) {
        std::fprintf(
            stderr,
            "usage: contentgen --out DATA_DIR [--courses COURSE_TEXT_DIR --shipped COURSE.txt] | --icon FILE.png\n");
        return 2;
    }
    auto started = std::chrono::steady_clock::now();
    const std::string data = argv[2];
    std::error_code ec;
    for (const char* sub : {"Map", "MapObject", "XFile/aaa", "XFile/velka", "XFile/mirro", "XFile/SkySphere", "Texture",
                            "Effect", "Sound"})
        fs::create_directories(data + "/" + sub, ec);
    if (!TextInit()) return 1;
    bool ok = Step("map models", WriteMapModels(data + "/MapObject")) &&
              Step("map textures", WriteMapTextures(data + "/MapObject")) &&
              Step("characters", WriteCharacters(data + "/XFile")) && Step("broom", WriteBroom(data + "/XFile")) &&
              Step("sky", WriteSky(data + "/XFile/SkySphere")) &&
              Step("textures", WriteUiTextures(data + "/Texture")) &&
              Step("effects", WriteEffectTextures(data + "/Effect")) && Step("sounds", WriteSounds(data + "/Sound"));
    if (ok && argc == 7) {
        const std::string courses = argv[4];
        fs::create_directories(courses, ec);
        ok = Step("shipped preview", WriteShippedPreview(data, argv[6], ShippedGroundColour));
        for (const CourseDesign& design : {MountainDesign(), EveningDesign(), LongDesign()})
            ok = ok && Step(design.id.c_str(), WriteCourse(design, data, courses));
    }
    TextQuit();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (ok) std::printf("contentgen: wrote %s in %.2f s\n", data.c_str(), seconds);
    return ok ? 0 : 1;
}
