// Message bytes: a 4-byte head (magic "ON", protocol version, kind) and the kind's fields.
#include "net/messages.h"

#include <cmath>
#include <cstring>

namespace net {

namespace {

constexpr char kMagic0 = 'O', kMagic1 = 'N';
enum class Kind : std::uint8_t { Hello = 1, Welcome, Refuse, Start, Inputs, HashCheck, SeatLeft, DesyncState, Roster };
constexpr std::uint8_t kKnownBits = 0x0F;
// A run's first byte: the presses' bits, then which of its fields follow.
constexpr std::uint8_t kTurnFollows = 0x10, kPitchFollows = 0x20, kLengthFollows = 0x40;

class Writer {
public:
    std::string bytes;
    void U8(std::uint8_t v) { bytes.push_back(static_cast<char>(v)); }
    void U16(std::uint16_t v) { Little(v, 2); }
    void U32(std::uint32_t v) { Little(v, 4); }
    void U64(std::uint64_t v) { Little(v, 8); }
    // Strings longer than a field allows are cut: the reader would refuse them whole.
    void Text(const std::string& s, std::size_t most) {
        const std::size_t n = std::min(s.size(), most);
        U16(static_cast<std::uint16_t>(n));
        bytes.append(s, 0, n);
    }
    // Seven bits a byte, low first: an update number of a race fits in two or three.
    void Varint(std::uint32_t v) {
        for (; v >= 0x80; v >>= 7) U8(static_cast<std::uint8_t>(v | 0x80));
        U8(static_cast<std::uint8_t>(v));
    }
    // A run of controls says only what changed since the run before it (the first: since none held).
    void Run(const SeatInputs::Run& run, const WireControls& before) {
        const bool turn = run.controls.turn != before.turn, pitch = run.controls.pitch != before.pitch;
        U8(static_cast<std::uint8_t>((run.controls.bits & kKnownBits) | (turn ? kTurnFollows : 0) |
                                     (pitch ? kPitchFollows : 0) | (run.length > 1 ? kLengthFollows : 0)));
        if (run.length > 1) U8(run.length);
        if (turn) U8(static_cast<std::uint8_t>(run.controls.turn));
        if (pitch) U8(static_cast<std::uint8_t>(run.controls.pitch));
    }

private:
    void Little(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
};

class Reader {
public:
    explicit Reader(const std::string& source) : bytes(source) {}
    std::string error;

    bool U8(std::uint8_t* v, const char* what) {
        std::uint64_t x = 0;
        if (!Little(&x, 1, what)) return false;
        *v = static_cast<std::uint8_t>(x);
        return true;
    }
    bool U16(std::uint16_t* v, const char* what) {
        std::uint64_t x = 0;
        if (!Little(&x, 2, what)) return false;
        *v = static_cast<std::uint16_t>(x);
        return true;
    }
    bool U32(std::uint32_t* v, const char* what) {
        std::uint64_t x = 0;
        if (!Little(&x, 4, what)) return false;
        *v = static_cast<std::uint32_t>(x);
        return true;
    }
    bool U64(std::uint64_t* v, const char* what) { return Little(v, 8, what); }
    bool Bytes(std::string* s, std::size_t most, const char* what) {
        std::uint64_t n = 0;
        if (!Little(&n, 2, what)) return false;
        if (n > most) return Fail(what, "too long");
        if (bytes.size() - offset < n) return Fail(what, "cut short");
        s->assign(bytes, offset, n);
        offset += n;
        return true;
    }
    bool Text(std::string* s, std::size_t most, const char* what) {
        if (!Bytes(s, most, what)) return false;
        for (char c : *s)
            if (static_cast<unsigned char>(c) < 0x20) return Fail(what, "holds a control character");
        return true;
    }
    // Only the shortest writing of a number is taken, so bytes read are the bytes written.
    bool Varint(std::uint32_t* v, const char* what) {
        *v = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            std::uint8_t byte = 0;
            if (!U8(&byte, what)) return false;
            if (shift == 28 && byte > 0x0F) return Fail(what, "too large");
            *v |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
            if (!(byte & 0x80)) return (byte != 0 || shift == 0) || Fail(what, "not written shortest");
        }
        return Fail(what, "too long");
    }
    bool Run(SeatInputs::Run* run, const WireControls& before) {
        std::uint8_t head = 0, turn = static_cast<std::uint8_t>(before.turn),
                     pitch = static_cast<std::uint8_t>(before.pitch);
        if (!U8(&head, "run")) return false;
        if (head & 0x80) return Fail("run", "has unknown bits");
        run->length = 1;
        if ((head & kLengthFollows) && (!U8(&run->length, "run") || run->length < 2))
            return Fail("run", "length is not over one");
        if ((head & kTurnFollows) && (!U8(&turn, "turn") || turn == static_cast<std::uint8_t>(before.turn)))
            return Fail("turn", "unchanged");
        if ((head & kPitchFollows) && (!U8(&pitch, "pitch") || pitch == static_cast<std::uint8_t>(before.pitch)))
            return Fail("pitch", "unchanged");
        if (turn == 0x80 || pitch == 0x80) return Fail("controls", "out of range");
        run->controls.bits = head & kKnownBits;
        run->controls.turn = static_cast<std::int8_t>(turn);
        run->controls.pitch = static_cast<std::int8_t>(pitch);
        return true;
    }
    bool Update(std::uint32_t* v, const char* what) {
        if (!U32(v, what)) return false;
        return *v <= kMostUpdate || Fail(what, "beyond any race");
    }
    bool ShortUpdate(std::uint32_t* v, const char* what) {
        if (!Varint(v, what)) return false;
        return *v <= kMostUpdate || Fail(what, "beyond any race");
    }
    bool Seat(std::uint8_t* v, const char* what) {
        if (!U8(v, what)) return false;
        return *v < kMostPeople || Fail(what, "no such seat");
    }
    bool Count(std::size_t* n, std::size_t most, const char* what) {
        std::uint8_t v = 0;
        if (!U8(&v, what)) return false;
        *n = v;
        return *n <= most || Fail(what, "too many");
    }
    bool End() { return offset == bytes.size() || Fail("message", "has bytes left over"); }
    bool Fail(const char* what, const char* why) {
        if (error.empty()) error = std::string(what) + " " + why;
        return false;
    }

private:
    bool Little(std::uint64_t* v, int n, const char* what) {
        if (bytes.size() - offset < static_cast<std::size_t>(n)) return Fail(what, "cut short");
        *v = 0;
        for (int i = 0; i < n; ++i) *v |= std::uint64_t(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
        offset += static_cast<std::size_t>(n);
        return true;
    }
    const std::string& bytes;
    std::size_t offset = 0;
};

std::int8_t ToSteps(float v) {
    const float clamped = std::isfinite(v) ? std::fmax(-1.0f, std::fmin(1.0f, v)) : 0.0f;
    return static_cast<std::int8_t>(std::lround(clamped * 127.0f));
}

// ---- writing ----

void Put(Writer& w, const Hello& m) {
    w.Text(m.gameVersion, kMostName);
    w.Text(m.name, kMostName);
    w.U64(m.flight);
    const std::size_t n = std::min(m.courses.size(), kMostCourses);
    w.U8(static_cast<std::uint8_t>(n));
    for (std::size_t i = 0; i < n; ++i) {
        w.Text(m.courses[i].id, kMostName);
        w.U64(m.courses[i].checksum);
    }
}
void Put(Writer& w, const Welcome& m) { w.U8(m.seat); }
void Put(Writer& w, const Refuse& m) { w.Text(m.reason, kMostReason); }
void Put(Writer& w, const Start& m) {
    w.Text(m.course, kMostName);
    w.U8(m.difficulty);
    w.U64(m.seed);
    const std::size_t n = std::min<std::size_t>(m.names.size(), kMostPeople);
    w.U8(static_cast<std::uint8_t>(n));
    for (std::size_t i = 0; i < n; ++i) w.Text(m.names[i], kMostName);
}
// Every update each machine sends one of these, so its numbers are short: `reached` as its distance
// from `first` (zigzag: it may be behind), the runs as changes.
void Put(Writer& w, const Inputs& m) {
    w.Varint(m.ack);
    w.U8(static_cast<std::uint8_t>(std::min<std::size_t>(m.seats.size(), kMostPeople)));
    for (std::size_t s = 0; s < m.seats.size() && s < kMostPeople; ++s) {
        const SeatInputs& seat = m.seats[s];
        w.U8(seat.seat);
        w.Varint(seat.first);
        const std::int64_t ahead = static_cast<std::int64_t>(seat.reached) - static_cast<std::int64_t>(seat.first);
        w.Varint(static_cast<std::uint32_t>(ahead >= 0 ? ahead * 2 : -ahead * 2 - 1));
        w.U8(static_cast<std::uint8_t>(std::min(seat.runs.size(), kMostRuns)));
        WireControls before;
        for (std::size_t r = 0; r < seat.runs.size() && r < kMostRuns; ++r) {
            w.Run(seat.runs[r], before);
            before = seat.runs[r].controls;
        }
    }
}
void Put(Writer& w, const HashCheck& m) {
    w.U32(m.update);
    w.U64(m.hash);
}
void Put(Writer& w, const SeatLeft& m) {
    w.U8(m.seat);
    w.U32(m.after);
}
void Put(Writer& w, const DesyncState& m) {
    w.U32(m.update);
    w.Text(m.bytes.size() <= kMostStateBytes ? m.bytes : std::string(), kMostStateBytes);
}

void Put(Writer& w, const Roster& m) {
    const std::size_t n = std::min<std::size_t>(m.people.size(), kMostPeople);
    w.U8(static_cast<std::uint8_t>(n));
    for (std::size_t i = 0; i < n; ++i) {
        w.Text(m.people[i].name, kMostName);
        w.U16(m.people[i].pingMs);
    }
}

template <typename T> constexpr Kind KindOf();
template <> constexpr Kind KindOf<Hello>() { return Kind::Hello; }
template <> constexpr Kind KindOf<Welcome>() { return Kind::Welcome; }
template <> constexpr Kind KindOf<Refuse>() { return Kind::Refuse; }
template <> constexpr Kind KindOf<Start>() { return Kind::Start; }
template <> constexpr Kind KindOf<Inputs>() { return Kind::Inputs; }
template <> constexpr Kind KindOf<HashCheck>() { return Kind::HashCheck; }
template <> constexpr Kind KindOf<SeatLeft>() { return Kind::SeatLeft; }
template <> constexpr Kind KindOf<DesyncState>() { return Kind::DesyncState; }
template <> constexpr Kind KindOf<Roster>() { return Kind::Roster; }

// ---- reading ----

bool Get(Reader& r, Hello& m) {
    std::size_t n = 0;
    if (!r.Text(&m.gameVersion, kMostName, "game version") || !r.Text(&m.name, kMostName, "name") ||
        !r.U64(&m.flight, "flight") || !r.Count(&n, kMostCourses, "courses"))
        return false;
    m.courses.resize(n);
    for (Hello::CourseSum& course : m.courses)
        if (!r.Text(&course.id, kMostName, "course") || !r.U64(&course.checksum, "checksum")) return false;
    return true;
}
bool Get(Reader& r, Welcome& m) { return r.Seat(&m.seat, "seat"); }
bool Get(Reader& r, Refuse& m) { return r.Text(&m.reason, kMostReason, "reason"); }
bool Get(Reader& r, Start& m) {
    std::size_t n = 0;
    if (!r.Text(&m.course, kMostName, "course") || !r.U8(&m.difficulty, "difficulty") || !r.U64(&m.seed, "seed") ||
        !r.Count(&n, kMostPeople, "people"))
        return false;
    if (m.difficulty > 2) return r.Fail("difficulty", "unknown");
    if (n < 2) return r.Fail("people", "too few");
    m.names.resize(n);
    for (std::string& name : m.names)
        if (!r.Text(&name, kMostName, "name")) return false;
    return true;
}
bool Get(Reader& r, SeatInputs& m) {
    std::size_t n = 0;
    std::uint32_t ahead = 0;
    if (!r.Seat(&m.seat, "seat") || !r.ShortUpdate(&m.first, "first update") || !r.Varint(&ahead, "reached") ||
        !r.Count(&n, kMostRuns, "runs"))
        return false;
    if (m.first == 0) return r.Fail("first update", "is zero");
    const std::int64_t reached =
        static_cast<std::int64_t>(m.first) +
        ((ahead & 1) ? -static_cast<std::int64_t>(ahead / 2) - 1 : static_cast<std::int64_t>(ahead / 2));
    if (reached < 0 || reached > kMostUpdate) return r.Fail("reached", "beyond any race");
    m.reached = static_cast<std::uint32_t>(reached);
    m.runs.resize(n);
    std::uint32_t total = 0;
    WireControls before;
    for (SeatInputs::Run& run : m.runs) {
        if (!r.Run(&run, before)) return false;
        before = run.controls;
        total += run.length;
    }
    if (total > kMostUpdatesPerMessage) return r.Fail("runs", "cover too many updates");
    if (m.first + total > kMostUpdate) return r.Fail("runs", "go beyond any race");
    return true;
}
bool Get(Reader& r, Inputs& m) {
    std::size_t n = 0;
    if (!r.ShortUpdate(&m.ack, "ack") || !r.Count(&n, kMostPeople, "seats")) return false;
    m.seats.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (!Get(r, m.seats[i])) return false;
        for (std::size_t j = 0; j < i; ++j)
            if (m.seats[j].seat == m.seats[i].seat) return r.Fail("seat", "given twice");
    }
    return true;
}
bool Get(Reader& r, HashCheck& m) { return r.Update(&m.update, "update") && r.U64(&m.hash, "hash"); }
bool Get(Reader& r, SeatLeft& m) { return r.Seat(&m.seat, "seat") && r.Update(&m.after, "update"); }
bool Get(Reader& r, DesyncState& m) {
    return r.Update(&m.update, "update") && r.Bytes(&m.bytes, kMostStateBytes, "state");
}

bool Get(Reader& r, Roster& m) {
    std::size_t n = 0;
    if (!r.Count(&n, kMostPeople, "people")) return false;
    if (n == 0) return r.Fail("people", "none");
    m.people.resize(n);
    for (Roster::Person& person : m.people)
        if (!r.Text(&person.name, kMostName, "name") || !r.U16(&person.pingMs, "ping")) return false;
    return true;
}

template <typename T> std::optional<Message> Read(Reader& r) {
    T m;
    if (!Get(r, m) || !r.End()) return std::nullopt;
    return Message{std::move(m)};
}

} // namespace

WireControls ToWire(const race::Controls& c) {
    WireControls w;
    w.bits = static_cast<std::uint8_t>((c.throttle ? 1 : 0) | (c.boost ? 2 : 0) | (c.togglePilot ? 4 : 0) |
                                       (c.swapNose ? 8 : 0));
    w.turn = ToSteps(c.turn);
    w.pitch = ToSteps(c.pitch);
    return w;
}

race::Controls FromWire(const WireControls& w) {
    race::Controls c;
    c.throttle = (w.bits & 1) != 0;
    c.boost = (w.bits & 2) != 0;
    c.togglePilot = (w.bits & 4) != 0;
    c.swapNose = (w.bits & 8) != 0;
    c.turn = static_cast<float>(w.turn) / 127.0f;
    c.pitch = static_cast<float>(w.pitch) / 127.0f;
    return c;
}

std::uint32_t SeatInputs::Total() const {
    std::uint32_t total = 0;
    for (const Run& run : runs) total += run.length;
    return total;
}

std::string Encode(const Message& message) {
    Writer w;
    w.U8(static_cast<std::uint8_t>(kMagic0));
    w.U8(static_cast<std::uint8_t>(kMagic1));
    w.U8(kProtocolVersion);
    std::visit(
        [&](const auto& m) {
            w.U8(static_cast<std::uint8_t>(KindOf<std::decay_t<decltype(m)>>()));
            Put(w, m);
        },
        message);
    return std::move(w.bytes);
}

std::optional<Message> Decode(const std::string& bytes, std::string* error) {
    Reader r(bytes);
    auto fail = [&]() -> std::optional<Message> {
        if (error) *error = r.error;
        return std::nullopt;
    };
    std::uint8_t m0 = 0, m1 = 0, version = 0, kind = 0;
    if (!r.U8(&m0, "head") || !r.U8(&m1, "head") || !r.U8(&version, "version") || !r.U8(&kind, "kind")) return fail();
    if (m0 != kMagic0 || m1 != kMagic1) return r.Fail("head", "is not this game's"), fail();
    // Another protocol's machine may only say hello (to hear why not) or refuse.
    const bool mustMatch =
        kind != static_cast<std::uint8_t>(Kind::Hello) && kind != static_cast<std::uint8_t>(Kind::Refuse);
    if (mustMatch && version != kProtocolVersion) return r.Fail("version", "is another protocol's"), fail();
    // Another protocol's hello is not read further: its version is all the host needs to say no.
    if (!mustMatch && kind == static_cast<std::uint8_t>(Kind::Hello) && version != kProtocolVersion)
        return Message{Hello{version, {}, {}, 0, {}}};
    std::optional<Message> m;
    switch (static_cast<Kind>(kind)) {
    case Kind::Hello: m = Read<Hello>(r); break;
    case Kind::Welcome: m = Read<Welcome>(r); break;
    case Kind::Refuse: m = Read<Refuse>(r); break;
    case Kind::Start: m = Read<Start>(r); break;
    case Kind::Inputs: m = Read<Inputs>(r); break;
    case Kind::HashCheck: m = Read<HashCheck>(r); break;
    case Kind::SeatLeft: m = Read<SeatLeft>(r); break;
    case Kind::DesyncState: m = Read<DesyncState>(r); break;
    case Kind::Roster: m = Read<Roster>(r); break;
    default: r.Fail("kind", "unknown");
    }
    if (!m) return fail();
    return m;
}

} // namespace net
