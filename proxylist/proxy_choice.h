// Cutting an item of the list, as the box shows it, into what the proxy selection needs. Pure text
// logic, free of Win32.
#pragma once

#include <string>
#include <string_view>

struct ProxyChoice {
  std::string address;   // before the first "-" (the whole item without one), blanks kept
  std::string location;  // after the first "-" less the one character that follows it
  std::string host;      // the address before its first ":" (empty without one)
  int port;              // atoi of the address after its first ":" (of the whole address without one)
};

ProxyChoice CutProxyItem(std::string_view item);
