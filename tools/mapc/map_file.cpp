// The binary map file: little-endian, no padding, short strings with a signed length byte.
#include "course_map.h"

#include <cstring>

namespace mapc {
namespace {

void PutString(std::vector<uint8_t>& out, const std::string& s) {
    if (s.size() > 127) throw CourseError("name longer than 127 bytes: " + s.substr(0, 20) + "...");
    out.push_back(static_cast<uint8_t>(s.size()));
    out.insert(out.end(), s.begin(), s.end());
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

class ByteReader {
public:
    explicit ByteReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

    uint32_t U32() {
        Need(4, "a 32-bit value");
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= uint32_t(bytes_[pos_ + i]) << (8 * i);
        pos_ += 4;
        return v;
    }
    std::string String() {
        Need(1, "a name length");
        int8_t n = static_cast<int8_t>(bytes_[pos_]);
        if (n < 0) Fail("name length byte above 127");
        ++pos_;
        Need(size_t(n), "a name");
        std::string s(reinterpret_cast<const char*>(&bytes_[pos_]), size_t(n));
        pos_ += size_t(n);
        return s.substr(0, s.find('\0')); // the game cuts names at the first zero byte
    }
    [[noreturn]] void Fail(const std::string& msg) const {
        throw CourseError("map file offset " + std::to_string(pos_) + ": " + msg);
    }

private:
    void Need(size_t n, const char* what) {
        if (bytes_.size() - pos_ < n) Fail(std::string("file ends inside ") + what);
    }
    const std::vector<uint8_t>& bytes_;
    size_t pos_ = 0;
};

} // namespace

std::vector<uint8_t> EncodeMapFile(const CourseMap& map) {
    std::vector<uint8_t> out;
    PutU32(out, 1);
    for (const Definition& d : map.definitions) {
        PutString(out, d.kind);
        PutString(out, d.modelFile);
    }
    PutString(out, "enddefine");
    for (const PlacedObject& o : map.objects) {
        PutString(out, o.kind);
        for (float f : o.matrix) {
            uint32_t bits;
            std::memcpy(&bits, &f, 4);
            PutU32(out, bits);
        }
        PutU32(out, static_cast<uint32_t>(o.number));
    }
    PutString(out, "end");
    return out;
}

CourseMap DecodeMapFile(const std::vector<uint8_t>& bytes) {
    ByteReader in(bytes);
    CourseMap map;
    if (in.U32() != 1) in.Fail("version is not 1");
    for (;;) {
        std::string kind = in.String();
        if (kind == "enddefine") break;
        map.definitions.push_back({kind, in.String()});
    }
    for (;;) {
        std::string kind = in.String();
        if (kind == "end") break;
        PlacedObject o;
        o.kind = kind;
        for (float& f : o.matrix) {
            uint32_t bits = in.U32();
            std::memcpy(&f, &bits, 4);
        }
        o.number = static_cast<int32_t>(in.U32());
        map.objects.push_back(o);
    }
    return map;
}

} // namespace mapc
