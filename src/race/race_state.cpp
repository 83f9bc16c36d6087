// Saving, loading, hashing and comparing the race state, all through the one field list of Visit.
#include "race/race_state.h"

#include "race/field_paths.h"

#include <cstring>
#include <type_traits>
#include <vector>

namespace race {

namespace {

constexpr char kMagic[8] = {'O', 'R', 'L', 'R', 'A', 'C', 'E', '1'};

// Every field goes out as its bytes in the machine's order; the game builds for little-endian
// machines only (the map and ghost files assume the same).
static_assert(sizeof(float) == 4 && sizeof(D3DXVECTOR3) == 12 && sizeof(D3DXMATRIX) == 64);

template <typename T>
constexpr bool kPlain = std::is_arithmetic_v<T> || std::is_same_v<T, D3DXVECTOR3> || std::is_same_v<T, D3DXMATRIX>;

class Writer {
public:
    std::string bytes;
    template <typename T> void operator()(const char*, const T& value) {
        static_assert(kPlain<T>);
        if constexpr (std::is_same_v<T, bool>) {
            bytes.push_back(value ? 1 : 0);
        } else {
            char raw[sizeof(T)];
            std::memcpy(raw, &value, sizeof(T));
            bytes.append(raw, sizeof(T));
        }
    }
    // The rival fields follow only when rivals fly.
    bool Tail(const char* name, const bool& present) {
        if (present) (*this)(name, present);
        return present;
    }
    void Enter(const char*, std::size_t) {}
    void Leave() {}
    void Fail(const char*) {}
};

class Reader {
public:
    explicit Reader(const std::string& source) : bytes(source) {}
    template <typename T> void operator()(const char* name, T& value) {
        static_assert(kPlain<T>);
        if (!error.empty()) return;
        const std::size_t size = std::is_same_v<T, bool> ? 1 : sizeof(T);
        if (bytes.size() - offset < size) return Fail(name);
        if constexpr (std::is_same_v<T, bool>) {
            const auto raw = static_cast<unsigned char>(bytes[offset]);
            if (raw > 1) return Fail(name);
            value = raw == 1;
        } else {
            std::memcpy(&value, bytes.data() + offset, sizeof(T));
        }
        offset += size;
    }
    // Bytes left after the racers open the rivals' tail; it is never written saying "none".
    bool Tail(const char* name, bool& present) {
        present = false;
        if (!error.empty() || offset == bytes.size()) return false;
        (*this)(name, present);
        if (error.empty() && !present) Fail(name);
        return present;
    }
    void Enter(const char*, std::size_t) {}
    void Leave() {}
    void Fail(const char* name) {
        if (error.empty()) error = std::string("bad or missing ") + name;
    }

    const std::string& bytes;
    std::size_t offset = 0;
    std::string error;
};

// A field's bytes as the state is saved, so a difference in any bit is found.
struct SavedBytes {
    template <typename T> std::string operator()(const char* name, const T& value) const {
        Writer one;
        one(name, value);
        return std::move(one.bytes);
    }
};

} // namespace

std::int32_t RaceState::RacerOfSeat(std::int32_t seat) const {
    for (std::size_t i = 0; i < racerCount; ++i)
        if (racers[i].seat == seat) return static_cast<std::int32_t>(i);
    return -1;
}

std::string RaceState::Save() const {
    Writer writer;
    writer.bytes.assign(kMagic, sizeof kMagic);
    Fields(*this, writer);
    return std::move(writer.bytes);
}

bool RaceState::Load(const std::string& bytes, std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return fail("not a race state of this version");
    RaceState loaded;
    Reader reader(bytes);
    reader.offset = sizeof kMagic;
    Fields(loaded, reader);
    if (reader.error.empty() && reader.offset != bytes.size()) reader.error = "bytes left over";
    if (reader.error.empty() && loaded.racerCount > kMostRacers) reader.error = "too many racers";
    if (!reader.error.empty()) return fail(reader.error);
    *this = loaded;
    return true;
}

std::uint64_t RaceState::Hash() const {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : Save()) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string RaceState::FirstDifference(const RaceState& a, const RaceState& b) {
    FieldPaths<SavedBytes> left, right;
    Fields(a, left);
    Fields(b, right);
    for (std::size_t i = 0; i < left.fields.size() && i < right.fields.size(); ++i)
        if (left.fields[i].value != right.fields[i].value) return left.fields[i].path;
    return {};
}

} // namespace race
