// Helpers for the content tests: where things are, running the tools, plain readers of the map
// file and of the first mesh of a generated .x file (positions and faces).
#pragma once

#include <array>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/math/d3dx_math.h"

namespace content_test {

inline std::string BuildDir() {
    const char* b = std::getenv("ORLENDA_BUILD");
    return b ? b : "..";
}
inline std::string SourceDir() {
    const char* s = std::getenv("ORLENDA_SOURCE");
    return s ? s : "../..";
}
inline std::string Tool(const std::string& name) { return BuildDir() + "/tools/" + name; }

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Runs a command; returns its exit status and fills `output` with stdout and stderr.
inline int RunCommand(const std::string& cmd, std::string* output) {
    FILE* p = popen((cmd + " 2>&1").c_str(), "r");
    if (!p) return -1;
    char buf[4096];
    size_t n;
    output->clear();
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) output->append(buf, n);
    int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct PlainMesh {
    std::vector<D3DXVECTOR3> positions;
    std::vector<std::array<int, 3>> faces;
};

// Reads the first "Mesh" of a text .x file. Separators , and ; are treated as blanks, which is
// enough for the files our generator writes.
inline bool ReadFirstMesh(const std::string& path, PlainMesh* out) {
    std::string text = ReadText(path);
    if (text.rfind("xof 0303txt", 0) != 0) return false;
    std::vector<std::string> tokens;
    std::string cur;
    for (char c : text) {
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == ',' || c == ';' || c == '{' || c == '}') {
            if (!cur.empty()) tokens.push_back(cur), cur.clear();
            if (c == '{' || c == '}') tokens.push_back(std::string(1, c));
        } else {
            cur += c;
        }
    }
    size_t i = 0;
    while (i < tokens.size() && tokens[i] != "Mesh") ++i;
    if (i == tokens.size()) return false;
    while (i < tokens.size() && tokens[i] != "{") ++i;
    ++i;
    auto next = [&]() { return i < tokens.size() ? std::strtod(tokens[i++].c_str(), nullptr) : 0.0; };
    int nv = int(next());
    for (int v = 0; v < nv; ++v) {
        float x = float(next()), y = float(next()), z = float(next());
        out->positions.push_back({x, y, z});
    }
    int nf = int(next());
    for (int f = 0; f < nf; ++f) {
        if (int(next()) != 3) return false;
        out->faces.push_back({int(next()), int(next()), int(next())});
    }
    return nv > 0 && nf > 0;
}

// A plain reader of the binary map file, the layout the game's loader reads: version 1, kind and
// model short strings up to "enddefine", then kind, 16 floats and a number up to "end".
struct MapDefinition {
    std::string kind, modelFile;
};
struct MapEntry {
    std::string name;
    D3DXMATRIX world;
    int number = 0;
};
struct MapFile {
    std::vector<MapDefinition> definitions;
    std::vector<MapEntry> objects;
};

inline bool ReadMapFile(const std::string& path, MapFile* out) {
    std::string b = ReadText(path);
    size_t pos = 0;
    auto u32 = [&](uint32_t* v) {
        if (b.size() - pos < 4) return false;
        std::memcpy(v, b.data() + pos, 4);
        pos += 4;
        return true;
    };
    auto str = [&](std::string* s) {
        if (pos >= b.size() || static_cast<unsigned char>(b[pos]) > 127 ||
            b.size() - pos - 1 < static_cast<unsigned char>(b[pos]))
            return false;
        size_t n = static_cast<unsigned char>(b[pos]);
        *s = b.substr(pos + 1, n);
        *s = s->substr(0, s->find('\0'));
        pos += n + 1;
        return true;
    };
    uint32_t version = 0;
    if (!u32(&version) || version != 1) return false;
    for (;;) {
        MapDefinition d;
        if (!str(&d.kind)) return false;
        if (d.kind == "enddefine") break;
        if (!str(&d.modelFile)) return false;
        out->definitions.push_back(d);
    }
    for (;;) {
        MapEntry e;
        if (!str(&e.name)) return false;
        if (e.name == "end") return true;
        if (b.size() - pos < 68) return false;
        std::memcpy(&e.world, b.data() + pos, 64);
        std::memcpy(&e.number, b.data() + pos + 64, 4);
        pos += 68;
        out->objects.push_back(e);
    }
}

} // namespace content_test
