#include "output/NetworkAddress.h"

#include "platform/AnsiText.h"
#include "platform/Conversions.h"

#include <algorithm>
#include <charconv>

namespace zev {

namespace {

bool ValidHost(std::string_view host)
{
    return !host.empty() && host.find_first_of(" \t[]/") == std::string_view::npos;
}

} // namespace

std::optional<std::uint16_t> ParsePortNumber(std::string_view text, std::string& error)
{
    unsigned value = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || failure != std::errc() || end != text.data() + text.size() || value < 1 ||
        value > 65535) {
        error = "o número da porta \"" + AnsiToUtf8(text) + "\" não está entre 1 e 65535";
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

std::optional<TNetworkAddress> ParseNetworkAddress(std::string_view text, std::string& error)
{
    text = TrimView(text);
    TNetworkAddress address;
    std::string_view port;
    if (text.starts_with('[')) {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos) {
            error = "falta o \"]\" que fecha o endereço IPv6";
            return std::nullopt;
        }
        address.host = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (!rest.starts_with(':')) {
                error = "depois do \"]\" só pode vir \":\" e o número da porta";
                return std::nullopt;
            }
            port = rest.substr(1);
            if (port.empty()) {
                error = "falta o número da porta depois do \":\"";
                return std::nullopt;
            }
        }
    } else if (std::count(text.begin(), text.end(), ':') == 1) {
        const std::size_t colon = text.find(':');
        address.host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (port.empty()) {
            error = "falta o número da porta depois do \":\"";
            return std::nullopt;
        }
    } else {
        // No colon, or a bare IPv6 address, which cannot carry a port number.
        address.host = text;
    }
    if (!ValidHost(address.host)) {
        error = address.host.empty()
                    ? "falta o nome ou endereço da impressora"
                    : "o nome \"" + AnsiToUtf8(address.host) + "\" não é um endereço";
        return std::nullopt;
    }
    if (!port.empty()) {
        const std::optional<std::uint16_t> number = ParsePortNumber(port, error);
        if (!number)
            return std::nullopt;
        address.port = *number;
    }
    return address;
}

std::string NetworkAddressText(const TNetworkAddress& address)
{
    const std::string port = std::to_string(address.port);
    if (address.host.find(':') != std::string::npos)
        return "[" + address.host + "]:" + port;
    return address.host + ":" + port;
}

} // namespace zev
