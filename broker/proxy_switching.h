// The band's switches of the toolbar's proxy: made directly where the band may write the user's
// settings, through the broker where it may not (a low-integrity browser), waiting for the broker
// as for the proxy test. Either way the results are those of SetConnectionOptions and
// DisableConnectionProxy: false with the error in GetLastError, ERROR_INVALID_STATE for a
// switch-over after another window switched the proxy off.
#pragma once

#include "connection/connection_proxy.h"

// On or over to `proxy`, telling running WinINet clients as NoticeFor(kind) says.
bool SwitchProxyOn(const char* proxy, ProxySwitch kind);
bool SwitchProxyOff();
