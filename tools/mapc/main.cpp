// mapc: compiles the course text into the game's binary map file, and dumps a map file back to text.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "course_geometry.h"
#include "course_map.h"

namespace {

bool ReadFile(const char* path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    out = ss.str();
    return true;
}

// Models are looked up where the game would find them beside the course: <course folder>/MapObject.
std::string DefaultModelFolder(const std::string& textPath) {
    return (std::filesystem::path(textPath).parent_path() / "MapObject").string();
}

int Compile(const std::string& textPath, const std::string& mapPath, const std::string& modelFolder) {
    std::string text;
    if (!ReadFile(textPath.c_str(), text)) {
        std::cerr << "mapc: cannot read " << textPath << "\n";
        return 1;
    }
    mapc::CourseMap map = mapc::ParseCourseText(text, textPath);
    std::vector<std::string> problems = mapc::CheckCourse(map, textPath, modelFolder);
    for (const std::string& problem : problems) std::cerr << "mapc: " << problem << "\n";
    if (!problems.empty()) {
        std::cerr << "mapc: " << mapPath << " not written\n";
        return 1;
    }
    std::vector<uint8_t> bytes = mapc::EncodeMapFile(map);
    std::string tmp = std::string(mapPath) + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) {
            std::cerr << "mapc: cannot write " << mapPath << "\n";
            return 1;
        }
    }
    if (std::rename(tmp.c_str(), mapPath.c_str()) != 0) {
        std::cerr << "mapc: cannot write " << mapPath << "\n";
        return 1;
    }
    return 0;
}

int Dump(const char* mapPath) {
    std::string raw;
    if (!ReadFile(mapPath, raw)) {
        std::cerr << "mapc: cannot read " << mapPath << "\n";
        return 1;
    }
    std::vector<uint8_t> bytes(raw.begin(), raw.end());
    std::cout << mapc::FormatCourseText(mapc::DecodeMapFile(bytes));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string modelFolder;
    for (std::size_t i = 1; i + 1 < args.size(); ++i) {
        if (args[i] != "--models" || args[0] == "dump") continue;
        modelFolder = args[i + 1];
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        break;
    }
    try {
        if (args.size() == 3 && args[0] == "compile")
            return Compile(args[1], args[2], modelFolder.empty() ? DefaultModelFolder(args[1]) : modelFolder);
        if (args.size() == 2 && args[0] == "dump" && modelFolder.empty()) return Dump(args[1].c_str());
        if (args.size() == 2 && args[0] == "check")
            return mapc::CheckCourseGeometry(args[1], modelFolder.empty() ? DefaultModelFolder(args[1]) : modelFolder);
    } catch (const mapc::CourseError& e) {
        std::cerr << "mapc: " << e.what() << "\n";
        return 1;
    }
    std::cerr
        << "usage: mapc compile [--models DIR] COURSE.txt MAP.map\n"
           "       mapc check [--models DIR] COURSE.txt\n"
           "       mapc dump MAP.map\n"
           "compile refuses courses the game could not race; check adds geometric checks against the\n"
           "course's models; DIR holds the kinds' model files (default: the MapObject folder beside COURSE.txt)\n";
    return 2;
}
