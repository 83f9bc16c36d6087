// Reading a GNU .mo catalog: every count, offset and length is checked against the file first.
#include "platform/text/translation.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <unordered_map>

namespace {
// The header: magic, revision, string count, the offsets of the original and translated string
// tables (each entry a length and an offset), then the hash table the lookup here does not need.
constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kSwappedMagic = 0xde120495;
constexpr std::size_t kHeaderSize = 28;
constexpr std::uint32_t kNewestMajorRevision = 1;
// A catalog of the game's own texts is a few kilobytes; anything near this is not one.
constexpr std::uintmax_t kLargestCatalog = 4u << 20;

std::unordered_map<std::string, std::string> catalog;

class CatalogReader {
public:
    explicit CatalogReader(const std::string& catalogBytes) : bytes(catalogBytes) {}

    bool Read(std::unordered_map<std::string, std::string>* texts, std::string* reason) {
        if (bytes.size() < kHeaderSize) return Fail(reason, "too short for a catalog header");
        const std::uint32_t magic = Word(0, false);
        if (magic != kMagic && magic != kSwappedMagic) return Fail(reason, "not a gettext catalog (.mo)");
        bigEndian = magic == kSwappedMagic;
        if (Word(4) >> 16 > kNewestMajorRevision) return Fail(reason, "a catalog revision newer than this game reads");
        const std::uint64_t count = Word(8), originals = Word(12), translations = Word(16);
        if (originals + count * 8 > bytes.size() || translations + count * 8 > bytes.size())
            return Fail(reason, "its string tables run past the end of the file");
        for (std::uint64_t i = 0; i < count; ++i) {
            std::optional<std::string> english = String(originals + i * 8);
            std::optional<std::string> translated = String(translations + i * 8);
            if (!english || !translated) return Fail(reason, "string " + std::to_string(i) + " runs past the end");
            // The empty text holds the catalog's own header, which no caller asks for.
            if (!english->empty()) (*texts)[*english] = *translated;
        }
        return true;
    }

private:
    static bool Fail(std::string* reason, const std::string& text) {
        *reason = text;
        return false;
    }
    std::uint32_t Word(std::uint64_t at) const { return Word(at, bigEndian); }
    std::uint32_t Word(std::uint64_t at, bool big) const {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const auto byte = std::uint32_t(static_cast<unsigned char>(bytes[at + std::uint64_t(i)]));
            value |= byte << (big ? 24 - 8 * i : 8 * i);
        }
        return value;
    }
    // A table entry: the string's length and offset; the string is followed by a NUL.
    std::optional<std::string> String(std::uint64_t entry) const {
        const std::uint64_t length = Word(entry), offset = Word(entry + 4);
        if (offset + length >= bytes.size() || bytes[offset + length] != '\0') return std::nullopt;
        return bytes.substr(offset, length);
    }

    const std::string& bytes;
    bool bigEndian = false;
};

bool ReadCatalogFile(const std::string& path, std::string* bytes, std::string* reason) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) return *reason = ec.message(), false;
    if (size > kLargestCatalog) return *reason = "too large for a catalog (" + std::to_string(size) + " bytes)", false;
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    if (file) contents << file.rdbuf();
    if (!file || file.bad()) return *reason = "cannot be read", false;
    *bytes = contents.str();
    return true;
}
} // namespace

namespace platform::text {

bool UseCatalog(const std::string& path, std::string* error) {
    std::string bytes, reason;
    std::unordered_map<std::string, std::string> texts;
    if (!ReadCatalogFile(path, &bytes, &reason) || !CatalogReader(bytes).Read(&texts, &reason)) {
        if (error) *error = path + ": " + reason;
        return false;
    }
    catalog = std::move(texts);
    return true;
}

void UseNoCatalog() { catalog.clear(); }

const char* Translate(const char* english) {
    if (catalog.empty() || !english) return english;
    auto found = catalog.find(english);
    return found == catalog.end() || found->second.empty() ? english : found->second.c_str();
}

} // namespace platform::text
