// Name lookup shared by the proxy test and the toolbar's local address.
#pragma once

#include <winsock2.h>

// The first IPv4 address that `host` resolves to (gethostbyname; WinSock must be started).
// False when it resolves to none.
bool FirstIPv4Address(const char* host, in_addr& address);
