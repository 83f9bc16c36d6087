// libFuzzer entry: the .x parser on arbitrary bytes must return an error, never crash or run away.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/xfile/xfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::xfile::Document doc;
    std::string error;
    platform::xfile::ParseXFile(reinterpret_cast<const char*>(data), size, "fuzz.x", &doc, &error);
    return 0;
}
