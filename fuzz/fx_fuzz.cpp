// libFuzzer entry: effect-file parsing must reject any input cleanly, never crash or hang.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gpu/effect_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    gpu::EffectFile file;
    std::string error;
    if (gpu::ParseEffectFile(text, "fuzz.fx", &file, &error)) {
        // Every pass of a parsed file must also give both stage sources.
        for (const auto& technique : file.techniques) {
            for (const auto& pass : technique.passes) {
                (void)gpu::BuildStageSource(file, pass, gpu::ShaderStage::Vertex);
                (void)gpu::BuildStageSource(file, pass, gpu::ShaderStage::Fragment);
            }
        }
    }
    return 0;
}
