// Reading HOST[:PORT].
#include "net/join_address.h"

#include <charconv>

namespace net {
bool ParseJoinAddress(const std::string& text, std::uint16_t defaultPort, std::string* host, std::uint16_t* port) {
    const std::size_t colon = text.rfind(':');
    *host = text.substr(0, colon);
    *port = defaultPort;
    if (colon != std::string::npos) {
        const std::string digits = text.substr(colon + 1);
        unsigned number = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || number == 0 ||
            number > 65535)
            return false;
        *port = static_cast<std::uint16_t>(number);
    }
    return !host->empty();
}
} // namespace net
