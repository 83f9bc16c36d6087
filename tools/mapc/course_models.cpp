// Reading and placing the course's models for mapc's checks.
#include "course_models.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace mapc {

bool ReadModel(const std::string& path, Model* model, std::string* error) {
    std::ifstream in(path);
    if (!in) return *error = path + " cannot be opened", false;
    std::stringstream text;
    text << in.rdbuf();
    std::string s = text.str();
    std::size_t at = 0;
    while ((at = s.find("Mesh", at)) != std::string::npos) {
        char after = at + 4 < s.size() ? s[at + 4] : '\0';
        if (after == ' ' || after == '{' || after == '\t') break;
        at += 4;
    }
    if (at == std::string::npos || (at = s.find('{', at)) == std::string::npos)
        return *error = path + " holds no mesh", false;
    for (char& c : s) {
        if (c == ';' || c == ',') c = ' ';
    }
    std::istringstream words(s.substr(at + 1));
    long count = 0;
    if (!(words >> count) || count <= 0 || count > 1000000) return *error = path + ": bad vertex count", false;
    model->vertices.resize(std::size_t(count));
    for (V3& v : model->vertices)
        if (!(words >> v.x >> v.y >> v.z)) return *error = path + ": vertices cut short", false;
    long faces = 0;
    if (!(words >> faces) || faces <= 0 || faces > 2000000) return *error = path + ": bad face count", false;
    for (long f = 0; f < faces; ++f) {
        int corners = 0;
        if (!(words >> corners) || corners < 3) return *error = path + ": bad face", false;
        std::vector<int> index(std::size_t(corners), 0);
        for (int& i : index)
            if (!(words >> i) || i < 0 || i >= count) return *error = path + ": face index out of range", false;
        for (int k = 1; k + 1 < corners; ++k)
            model->faces.push_back({index[0], index[std::size_t(k)], index[std::size_t(k) + 1]});
    }
    return true;
}

V3 Transform(const std::array<float, 16>& m, V3 p) {
    return {p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12], p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13],
            p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14]};
}

double PassageRadius(const Model& model, const std::array<float, 16>& m) {
    const double sx = Len({m[0], m[1], m[2]}), sy = Len({m[4], m[5], m[6]}), sz = Len({m[8], m[9], m[10]});
    double largest = 0;
    for (const V3& v : model.vertices) largest = std::max(largest, Len({v.x * sx, v.y * sy, v.z * sz}));
    return largest;
}

Ground::Ground(const Model& model, const std::array<float, 16>& world) : faces(model.faces) {
    for (const V3& v : model.vertices) points.push_back(Transform(world, v));
}

double Ground::HeightAt(double x, double z) const {
    double best = -INFINITY;
    for (const auto& f : faces) {
        const V3 &a = points[std::size_t(f[0])], &b = points[std::size_t(f[1])], &c = points[std::size_t(f[2])];
        if (x < std::min({a.x, b.x, c.x}) || x > std::max({a.x, b.x, c.x}) || z < std::min({a.z, b.z, c.z}) ||
            z > std::max({a.z, b.z, c.z}))
            continue;
        double det = (b.z - c.z) * (a.x - c.x) + (c.x - b.x) * (a.z - c.z);
        if (std::fabs(det) < 1e-12) continue;
        double l1 = ((b.z - c.z) * (x - c.x) + (c.x - b.x) * (z - c.z)) / det;
        double l2 = ((c.z - a.z) * (x - c.x) + (a.x - c.x) * (z - c.z)) / det;
        double l3 = 1 - l1 - l2;
        if (l1 < -1e-9 || l2 < -1e-9 || l3 < -1e-9) continue;
        best = std::max(best, l1 * a.y + l2 * b.y + l3 * c.y);
    }
    return best;
}

} // namespace mapc
