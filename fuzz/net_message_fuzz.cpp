// libFuzzer entry: whatever bytes arrive from the network, the message reader either refuses them
// or accepts a message that writes back to exactly the same bytes; never a crash or a huge allocation.
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

#include "net/messages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<net::Message> message = net::Decode(bytes);
    if (!message) return 0;
    // Another protocol's hello is read no further than its head, so it cannot be written back.
    if (const auto* hello = std::get_if<net::Hello>(&*message); hello && hello->protocol != net::kProtocolVersion)
        return 0;
    // Another protocol's refusal is read for its reason; written back, it carries this protocol's version.
    std::string expected = bytes;
    if (std::holds_alternative<net::Refuse>(*message)) expected[2] = static_cast<char>(net::kProtocolVersion);
    if (net::Encode(*message) != expected) __builtin_trap();
    return 0;
}
