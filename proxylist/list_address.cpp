#include "proxylist/list_address.h"

#include <cctype>

namespace {

// Whether `text` starts with `prefix`, ignoring the case of ASCII letters.
bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

std::optional<unsigned short> ParsePort(std::string_view digits) {
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  unsigned long value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned long>(c - '0');
  }
  if (value == 0 || value > 65535) return std::nullopt;
  return static_cast<unsigned short>(value);
}

}  // namespace

std::optional<ListAddress> ParseListAddress(std::string_view address) {
  ListAddress parsed;
  if (StartsWithNoCase(address, "https://")) {
    parsed.secure = true;
    parsed.port = 443;
    address.remove_prefix(8);
  } else if (StartsWithNoCase(address, "http://")) {
    address.remove_prefix(7);
  } else {
    return std::nullopt;
  }

  const size_t slash = address.find('/');
  const std::string_view authority = address.substr(0, slash);
  parsed.path = slash == std::string_view::npos ? "/" : std::string(address.substr(slash));

  const size_t colon = authority.find(':');
  parsed.host = std::string(authority.substr(0, colon));
  if (parsed.host.empty() || parsed.host.find_first_of("@ \t\r\n") != std::string::npos) return std::nullopt;
  if (colon != std::string_view::npos) {
    const std::optional<unsigned short> port = ParsePort(authority.substr(colon + 1));
    if (!port) return std::nullopt;
    parsed.port = *port;
  }
  return parsed;
}
