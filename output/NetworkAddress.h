#pragma once

// A network printer's address as the store writes it in section "Rede":
// "192.168.0.50:9100", "etiquetas.loja", "[fe80::1%eth0]:9101". Without a
// port number the printer's 9100 is meant.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zev {

inline constexpr std::uint16_t DefaultNetworkPort = 9100;

struct TNetworkAddress
{
    std::string host; // a name or a literal address, IPv6 without brackets
    std::uint16_t port = DefaultNetworkPort;

    bool operator==(const TNetworkAddress&) const = default;
};

// "host", "host:port", "[IPv6]", "[IPv6]:port", or a bare IPv6 address
// (more than one colon, no port). Nothing, with the reason in `error`
// (UTF-8, for messages), for
// a text that is none of these or a port number outside 1 to 65535.
std::optional<TNetworkAddress> ParseNetworkAddress(std::string_view text, std::string& error);
// A TCP port number, 1 to 65535; nothing, with the reason in `error`.
std::optional<std::uint16_t> ParsePortNumber(std::string_view text, std::string& error);
// As ParseNetworkAddress reads it back, port number always written.
std::string NetworkAddressText(const TNetworkAddress& address);

} // namespace zev
