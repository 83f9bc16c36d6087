// Shared fixtures of the map and effect tests: a temporary game folder, map bytes and tiny models.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/singletons.h"
#include "effects/effect_manager.h"
#include "map/course_manager.h"
#include "map/map_manager.h"
#include "platform/math/d3dx_math.h"
#include "render/graphics_device.h"
#include "simplelib/resource_cache.h"

namespace maptest {

// A fresh folder that is the working directory for the test's lifetime (the game reads data/...).
class TempGameDir {
public:
    TempGameDir() {
        previous = std::filesystem::current_path();
        char pattern[] = "/tmp/orlenda_map_XXXXXX";
        root = mkdtemp(pattern);
        std::filesystem::current_path(root);
    }
    ~TempGameDir() {
        std::filesystem::current_path(previous);
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    TempGameDir(const TempGameDir&) = delete;
    TempGameDir& operator=(const TempGameDir&) = delete;

    const std::filesystem::path& Root() const { return root; }

private:
    std::filesystem::path previous;
    std::filesystem::path root;
};

// Fresh game singletons for each test. A fixture lists it as its first base, so the references
// its members take to the singletons are taken after the reset.
struct FreshSingletons {
    static void ResetAll() { testsupport::ResetSingletons(); }
    FreshSingletons() {
        ResetAll();
        GraphicsDevice::Instance().InitNull(1280, 720);
    }
    ~FreshSingletons() { ResetAll(); }
    FreshSingletons(const FreshSingletons&) = delete;
    FreshSingletons& operator=(const FreshSingletons&) = delete;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Builds map files byte by byte.
class MapBytes {
public:
    MapBytes& Int32(std::int32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF));
        return *this;
    }
    MapBytes& Str(const std::string& s) {
        bytes.push_back(static_cast<char>(s.size()));
        bytes += s;
        return *this;
    }
    MapBytes& Raw(const std::string& s) {
        bytes += s;
        return *this;
    }
    MapBytes& Matrix(const D3DXMATRIX& m) {
        for (int i = 0; i < 16; ++i) {
            std::uint32_t bits;
            std::memcpy(&bits, m.data() + i, 4);
            Int32(static_cast<std::int32_t>(bits));
        }
        return *this;
    }
    MapBytes& Def(const std::string& kind, const std::string& model) { return Str(kind).Str(model); }
    MapBytes& Object(const std::string& kind, const D3DXMATRIX& m, std::int32_t number) {
        return Str(kind).Matrix(m).Int32(number);
    }
    const std::uint8_t* Data() const { return reinterpret_cast<const std::uint8_t*>(bytes.data()); }
    std::size_t Size() const { return bytes.size(); }

    std::string bytes;
};

// A text .x model: the listed corner positions and triangles, no materials.
inline std::string XModel(const std::vector<D3DXVECTOR3>& corners, const std::vector<std::array<int, 3>>& faces) {
    std::string s = "xof 0303txt 0032\nMesh {\n" + std::to_string(corners.size()) + ";\n";
    for (std::size_t i = 0; i < corners.size(); ++i)
        s += std::to_string(corners[i].x) + ";" + std::to_string(corners[i].y) + ";" + std::to_string(corners[i].z) +
             ";" + (i + 1 < corners.size() ? "," : ";") + "\n";
    s += std::to_string(faces.size()) + ";\n";
    for (std::size_t i = 0; i < faces.size(); ++i)
        s += "3;" + std::to_string(faces[i][0]) + "," + std::to_string(faces[i][1]) + "," +
             std::to_string(faces[i][2]) + ";" + (i + 1 < faces.size() ? "," : ";") + "\n";
    return s + "}\n";
}

// A tetrahedron whose farthest corner is `far` from the origin along +X.
inline std::string Tetrahedron(float far) {
    return XModel({{0, 0, 0}, {far, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {1, 3, 2}});
}

inline D3DXMATRIX At(float x, float y, float z) { return MatrixTranslation(x, y, z); }

} // namespace maptest
