// Ghost file encoding with bounds-checked decoding and a whole-file checksum.
#include "records/ghost_file.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/fs/atomic_file.h"
#include "records/save_folder.h"

namespace {

constexpr char kMagic[8] = {'O', 'R', 'L', 'G', 'H', 'O', 'S', 'T'};
constexpr std::uint32_t kVersion = 1;
constexpr std::uint32_t kMostCourseIdBytes = 256;
constexpr std::size_t kFrameBytes = 8 * sizeof(float);

template <typename T> void Put(std::string& out, T value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
}

class Reader {
public:
    explicit Reader(const std::string& source) : bytes(source) {}
    template <typename T> bool Get(T* value) {
        if (bytes.size() - offset < sizeof(T)) return false;
        std::memcpy(value, bytes.data() + offset, sizeof(T));
        offset += sizeof(T);
        return true;
    }
    bool GetText(std::size_t length, std::string* text) {
        if (bytes.size() - offset < length) return false;
        text->assign(bytes, offset, length);
        offset += length;
        return true;
    }
    std::size_t Left() const { return bytes.size() - offset; }

private:
    const std::string& bytes;
    std::size_t offset = 0;
};

} // namespace

std::string EncodeGhost(const GhostRun& run) {
    std::string out(kMagic, sizeof kMagic);
    Put(out, kVersion);
    Put(out, static_cast<std::uint32_t>(run.course.size()));
    out += run.course;
    Put(out, run.mapChecksum);
    Put(out, static_cast<std::uint32_t>(run.frames.size()));
    for (const GhostFrame& frame : run.frames) {
        for (float v : frame.position) Put(out, v);
        for (float v : frame.rotation) Put(out, v);
        Put(out, frame.animationTime);
    }
    Put(out, records::Checksum(out));
    return out;
}

bool DecodeGhost(const std::string& bytes, GhostRun* run, std::string* error) {
    if (bytes.size() < sizeof kMagic + sizeof(std::uint64_t) || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return *error = "not a ghost file", false;
    std::uint64_t stored = 0;
    std::memcpy(&stored, bytes.data() + bytes.size() - sizeof stored, sizeof stored);
    const std::string body = bytes.substr(0, bytes.size() - sizeof stored);
    if (records::Checksum(body) != stored) return *error = "checksum does not match", false;

    Reader reader(body);
    std::string magic;
    std::uint32_t version = 0, idLength = 0, count = 0;
    reader.GetText(sizeof kMagic, &magic);
    if (!reader.Get(&version) || version != kVersion) return *error = "ghost version is not known", false;
    if (!reader.Get(&idLength) || idLength > kMostCourseIdBytes || !reader.GetText(idLength, &run->course))
        return *error = "bad course id", false;
    if (!reader.Get(&run->mapChecksum) || !reader.Get(&count) || count > kMostGhostFrames ||
        reader.Left() != std::size_t(count) * kFrameBytes)
        return *error = "update count does not match the file size", false;
    run->frames.assign(count, GhostFrame{});
    for (GhostFrame& frame : run->frames) {
        for (float& v : frame.position) reader.Get(&v);
        for (float& v : frame.rotation) reader.Get(&v);
        reader.Get(&frame.animationTime);
    }
    return true;
}

std::string GhostFileName(const std::string& course, const std::string& difficulty) {
    return course + "-" + difficulty + ".ghost";
}

bool LoadGhost(const std::string& course, const std::string& difficulty, std::uint64_t mapChecksum, GhostRun* run) {
    const std::string path = records::SavePath(GhostFileName(course, difficulty));
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec)) return false;
    std::string bytes, error;
    if (!platform::fs::ReadWholeFile(path, &bytes, &error) || !DecodeGhost(bytes, run, &error)) {
        records::SetAside(path, "ghost", error, "racing without it");
        return false;
    }
    const char* mismatch = run->course != course             ? "it was flown on another course"
                           : run->mapChecksum != mapChecksum ? "it was flown on another version of the map"
                                                             : nullptr;
    if (mismatch) {
        std::fprintf(stderr, "ghost: %s: %s; racing without it\n", path.c_str(), mismatch);
        return false;
    }
    return true;
}

bool SaveGhost(const GhostRun& run, const std::string& difficulty) {
    return records::SaveFile(GhostFileName(run.course, difficulty), EncodeGhost(run));
}
