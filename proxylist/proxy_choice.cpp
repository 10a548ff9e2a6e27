#include "proxylist/proxy_choice.h"

#include <cstdlib>

ProxyChoice CutProxyItem(std::string_view item) {
  ProxyChoice choice;
  const size_t dash = item.find('-');
  choice.address = std::string(item.substr(0, dash));
  if (dash != std::string_view::npos && dash + 2 <= item.size()) choice.location = std::string(item.substr(dash + 2));

  const size_t colon = choice.address.find(':');
  std::string portText = choice.address;
  if (colon != std::string::npos) {
    choice.host = choice.address.substr(0, colon);
    portText = choice.address.substr(colon + 1);
  }
  choice.port = std::atoi(portText.c_str());
  return choice;
}
