// Ghost file encoding, header-first bounds-checked decoding and the whole-file checksum.
#include "records/ghost_file.h"

#include <cstring>

#include "platform/fs/atomic_file.h"

namespace {

using records::FileState;

constexpr char kMagic[8] = {'O', 'R', 'L', 'G', 'H', 'O', 'S', 'T'};
constexpr std::uint32_t kVersion = 2;
constexpr std::uint32_t kMostCourseIdBytes = 256;
constexpr std::uint32_t kMostDifficultyBytes = 32;
constexpr std::size_t kFrameBytes = 8 * sizeof(float);
constexpr std::size_t kChecksumBytes = sizeof(std::uint64_t);

template <typename T> void Put(std::string& out, T value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
}

void PutText(std::string& out, const std::string& text) {
    Put(out, static_cast<std::uint32_t>(text.size()));
    out += text;
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
    bool GetText(std::uint32_t most, std::string* text) {
        std::uint32_t length = 0;
        if (!Get(&length) || length > most || bytes.size() - offset < length) return false;
        text->assign(bytes, offset, length);
        offset += length;
        return true;
    }
    std::size_t Offset() const { return offset; }

private:
    const std::string& bytes;
    std::size_t offset = 0;
};

} // namespace

std::uint64_t GhostHeader::FileBytes() const {
    return headerBytes + std::uint64_t(updates) * kFrameBytes + kChecksumBytes;
}

std::string EncodeGhost(const GhostRun& run) {
    std::string out(kMagic, sizeof kMagic);
    Put(out, kVersion);
    PutText(out, run.course);
    PutText(out, run.difficulty);
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

std::uint64_t EncodedGhostChecksum(const std::string& bytes) {
    std::uint64_t stored = 0;
    if (bytes.size() >= kChecksumBytes)
        std::memcpy(&stored, bytes.data() + bytes.size() - kChecksumBytes, kChecksumBytes);
    return stored;
}

FileState DecodeGhostHeader(const std::string& head, GhostHeader* header, std::string* error) {
    *header = GhostHeader{};
    if (head.size() < sizeof kMagic || std::memcmp(head.data(), kMagic, sizeof kMagic) != 0)
        return *error = "not a ghost file", FileState::Damaged;
    Reader reader(head);
    std::uint64_t skipMagic = 0;
    reader.Get(&skipMagic);
    if (!reader.Get(&header->version) || header->version == 0) return *error = "no ghost version", FileState::Damaged;
    if (header->version > kVersion)
        return *error = "ghost version " + std::to_string(header->version), FileState::Newer;
    if (!reader.GetText(kMostCourseIdBytes, &header->course)) return *error = "bad course id", FileState::Damaged;
    if (header->version >= 2 && !reader.GetText(kMostDifficultyBytes, &header->difficulty))
        return *error = "bad difficulty", FileState::Damaged;
    if (!reader.Get(&header->mapChecksum) || !reader.Get(&header->updates))
        return *error = "cut short in its header", FileState::Damaged;
    if (header->updates > kMostGhostFrames)
        return *error = "update count " + std::to_string(header->updates) + " is over an hour", FileState::Damaged;
    header->headerBytes = reader.Offset();
    return FileState::Ok;
}

FileState DecodeGhost(const std::string& bytes, GhostRun* run, std::string* error) {
    GhostHeader header;
    const FileState state = DecodeGhostHeader(bytes, &header, error);
    if (state != FileState::Ok) return state;
    if (bytes.size() != header.FileBytes())
        return *error = "update count does not match the file size", FileState::Damaged;
    const std::uint64_t stored = EncodedGhostChecksum(bytes);
    if (records::Checksum(std::string_view(bytes).substr(0, bytes.size() - kChecksumBytes)) != stored)
        return *error = "checksum does not match", FileState::Damaged;

    *run = GhostRun{header.course, header.difficulty, header.mapChecksum, {}, stored};
    run->frames.assign(header.updates, GhostFrame{});
    const char* at = bytes.data() + header.headerBytes;
    for (GhostFrame& frame : run->frames) {
        std::memcpy(frame.position, at, sizeof frame.position);
        std::memcpy(frame.rotation, at + sizeof frame.position, sizeof frame.rotation);
        std::memcpy(&frame.animationTime, at + sizeof frame.position + sizeof frame.rotation, sizeof(float));
        at += kFrameBytes;
    }
    return FileState::Ok;
}

FileState ReadGhostFile(const std::string& path, GhostRun* run, std::string* error) {
    std::string head;
    std::uint64_t size = 0;
    if (!platform::fs::ReadFileHead(path, kMostGhostHeaderBytes, &head, &size, error)) return FileState::Damaged;
    GhostHeader header;
    const FileState state = DecodeGhostHeader(head, &header, error);
    if (state != FileState::Ok) return state;
    if (size != header.FileBytes())
        return *error = "its size (" + std::to_string(size) + " bytes) is not the " +
                        std::to_string(header.FileBytes()) + " its " + std::to_string(header.updates) + " updates take",
               FileState::Damaged;
    std::string bytes;
    if (!platform::fs::ReadWholeFile(path, &bytes, error)) return FileState::Damaged;
    return DecodeGhost(bytes, run, error);
}

std::string GhostFileName(const std::string& course, const std::string& difficulty) {
    return course + "-" + difficulty + ".ghost";
}
