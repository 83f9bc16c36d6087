// Checksums of the content two machines race: FNV-1a over file bytes and over a sample race.
#include "net/content_checksum.h"

#include <array>
#include <cstring>
#include <fstream>
#include <iterator>

#include "race/step.h"

namespace net {

namespace {
std::uint64_t Fnv(std::uint64_t hash, const char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= static_cast<unsigned char>(bytes[i]);
        hash *= 1099511628211ull;
    }
    return hash;
}
constexpr std::uint64_t kFnvStart = 14695981039346656037ull;
} // namespace

std::uint64_t CourseChecksum(const std::string& mapPath, const D3DXVECTOR3& start, float heading) {
    std::ifstream in(mapPath, std::ios::binary);
    if (!in) return 0;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::uint64_t hash = Fnv(kFnvStart, bytes.data(), bytes.size());
    float grid[4] = {start.x, start.y, start.z, heading};
    return Fnv(hash, reinterpret_cast<const char*>(grid), sizeof grid);
}

std::uint64_t FlightFingerprint() {
    static const std::uint64_t fingerprint = [] {
        race::Course course;
        course.checkPoints = {{{700.0f, 50.0f, -1020.0f}, 10.0f}, {{650.0f, 60.0f, -960.0f}, 10.0f}};
        race::RaceState state = race::NewRace(course, race::Grid{}, Difficulty::Normal, 1);
        std::array<race::Controls, race::RaceState::kMostRacers> row{};
        for (std::uint32_t i = 0; i < 400; ++i) {
            row[0] = race::Controls{i % 3 != 0, i % 50 < 5, (i / 20) % 2 ? 1.0f : -0.5f, (i / 30) % 3 ? 0.0f : 1.0f,
                                    false,      i == 250};
            race::Step(state, course, std::span<const race::Controls>(row.data(), state.racerCount));
        }
        return state.Hash();
    }();
    return fingerprint;
}

} // namespace net
