// Whether a proxy accepts a TCP connection at all (it does not speak the proxy protocol).
#pragma once

#include <windows.h>

// One blocking connect to the first IPv4 address of `host`, on the low 16 bits of `port`, with the
// system's own time limit. Returns the milliseconds the connect took, never less than 1; or 0 after
// telling the user, in a message box owned by `owner`, that the proxy is unavailable.
unsigned long TestProxy(HWND owner, const char* host, unsigned int port);
