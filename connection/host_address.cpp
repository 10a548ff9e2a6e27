#include "connection/host_address.h"

#include <cstring>

bool FirstIPv4Address(const char* host, in_addr& address) {
  const hostent* entry = gethostbyname(host);
  if (!entry || entry->h_addrtype != AF_INET || !entry->h_addr_list || !entry->h_addr_list[0]) return false;
  memcpy(&address, entry->h_addr_list[0], sizeof(address));
  return true;
}
