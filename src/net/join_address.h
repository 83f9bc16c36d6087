// HOST or HOST:PORT, as --join and the lobby's address line take it.
#pragma once

#include <cstdint>
#include <string>

namespace net {
// The host and port `text` names (the port is `defaultPort` when none is given); false when the
// host is empty or the port is not 1 to 65535.
bool ParseJoinAddress(const std::string& text, std::uint16_t defaultPort, std::string* host, std::uint16_t* port);
} // namespace net
