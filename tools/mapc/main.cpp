// mapc: compiles the course text into the game's binary map file, and dumps a map file back to text.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "course_check.h"
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

int Compile(const char* textPath, const char* mapPath) {
    std::string text;
    if (!ReadFile(textPath, text)) {
        std::cerr << "mapc: cannot read " << textPath << "\n";
        return 1;
    }
    mapc::CourseMap map = mapc::ParseCourseText(text, textPath);
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
    if (std::rename(tmp.c_str(), mapPath) != 0) {
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

}  // namespace

int main(int argc, char** argv) {
    std::string cmd = argc > 1 ? argv[1] : "";
    try {
        if (cmd == "compile" && argc == 4) return Compile(argv[2], argv[3]);
        if (cmd == "dump" && argc == 3) return Dump(argv[2]);
        if (cmd == "check" && argc == 3) return mapc::CheckCourse(argv[2], "data/MapObject");
        if (cmd == "check" && argc == 5 && std::string(argv[3]) == "--models") return mapc::CheckCourse(argv[2], argv[4]);
    } catch (const mapc::CourseError& e) {
        std::cerr << "mapc: " << e.what() << "\n";
        return 1;
    }
    std::cerr << "usage: mapc compile COURSE.txt MAP.map\n       mapc dump MAP.map\n"
                 "       mapc check COURSE.txt [--models DIR]   (models default to data/MapObject)\n";
    return 2;
}
