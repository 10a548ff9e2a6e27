// Whether a proxy accepts a TCP connection at all (it does not speak the proxy protocol).
#pragma once

#include <windows.h>

// The build's bound on a test: a proxy that has not accepted the connection by then (a filtered
// host drops it without a word) counts as unreachable.
extern const DWORD kProxyTestTimeoutMs;

// One connect to the first IPv4 address of `host` (a dotted address is used as it is; a name is
// looked up), on the low 16 bits of `port`, within `timeoutMs` in all. The calling thread handles
// its messages meanwhile, as a modal dialog does. Returns the milliseconds the connect took, never
// less than 1; or 0 when the proxy cannot be reached, which the caller tells the user.
unsigned long TestProxy(const char* host, unsigned int port, DWORD timeoutMs = kProxyTestTimeoutMs);
