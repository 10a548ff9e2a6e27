// The address of the proxy list, taken apart for the download: plain HTTP or HTTPS, host, port
// and path. Pure: no Win32.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct ListAddress {
  bool secure = false;  // "https://": TLS, with the server's certificate checked
  std::string host;
  unsigned short port = 80;  // 80 for "http://", 443 for "https://", unless the address names one
  std::string path;          // from the first '/' after the host on; "/" when there is none
};

// Takes apart "http://host[:port][/path]" or "https://host[:port][/path]" (the scheme in any
// case). Anything else, an empty host, user information ("user@host") or a port that is not a
// number from 1 to 65535 gives nothing: the download is then a failed one.
std::optional<ListAddress> ParseListAddress(std::string_view address);
