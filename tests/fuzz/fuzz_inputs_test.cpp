// Replays the kept fuzzer finds (tests/data/fuzz/<target>/) and the shipped content through each
// fuzz entry point, so a fixed crash stays fixed in every build, not only in the fuzzing build.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Each entry is compiled here under its own name.
#define LLVMFuzzerTestOneInput FuzzMapFile
#include "../../fuzz/map_fuzz.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput FuzzXFile
#include "../../fuzz/xfile_fuzz.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput FuzzWaveFile
#include "../../fuzz/wave_file_fuzz.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput FuzzPng
#include "../../fuzz/png_fuzz.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput FuzzEffectFile
#include "../../fuzz/fx_fuzz.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput FuzzNetMessage
#include "../../fuzz/net_message_fuzz.cpp"
#undef LLVMFuzzerTestOneInput

namespace {
namespace fs = std::filesystem;
using Entry = int (*)(const std::uint8_t*, std::size_t);

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Kept finds of one target plus the content files with one of the given extensions.
std::vector<fs::path> Inputs(const std::string& target, const std::vector<std::string>& extensions) {
    std::vector<fs::path> inputs;
    const char* source = std::getenv("ORLENDA_SOURCE");
    fs::path kept = fs::path(source ? source : "../..") / "tests/data/fuzz" / target;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(kept, error))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    for (const char* folder : {"data", "Shader"}) {
        for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::end(it);
             it.increment(error)) {
            if (!it->is_regular_file()) continue;
            for (const auto& extension : extensions)
                if (it->path().extension() == extension) inputs.push_back(it->path());
        }
    }
    return inputs;
}

// Whole files, then every file cut at a few lengths: truncation is the commonest real damage.
void Replay(Entry entry, const std::string& target, const std::vector<std::string>& extensions) {
    std::vector<fs::path> inputs = Inputs(target, extensions);
    if (inputs.empty()) GTEST_SKIP() << "no inputs for " << target << " (content not generated)";
    for (const fs::path& path : inputs) {
        SCOPED_TRACE(path.string());
        std::vector<std::uint8_t> bytes = ReadAll(path);
        EXPECT_EQ(entry(bytes.data(), bytes.size()), 0);
        for (std::size_t cut : {bytes.size() / 2, bytes.size() / 7, std::size_t(1), std::size_t(0)}) {
            std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + std::min(cut, bytes.size()));
            EXPECT_EQ(entry(part.data(), part.size()), 0);
        }
    }
}
} // namespace

TEST(FuzzInputs, MapFilesLoadOrStopCleanly) { Replay(FuzzMapFile, "map_fuzz", {".map"}); }
TEST(FuzzInputs, XFilesParseOrFailCleanly) { Replay(FuzzXFile, "xfile_fuzz", {".x"}); }
TEST(FuzzInputs, WaveFilesReadOrFailCleanly) { Replay(FuzzWaveFile, "wave_file_fuzz", {".wav"}); }
TEST(FuzzInputs, PngFilesDecodeOrFailCleanly) { Replay(FuzzPng, "png_fuzz", {".png"}); }
TEST(FuzzInputs, EffectFilesParseOrFailCleanly) { Replay(FuzzEffectFile, "fx_fuzz", {".fx"}); }
TEST(FuzzInputs, NetMessagesReadOrAreRefused) { Replay(FuzzNetMessage, "net_message_fuzz", {}); }
