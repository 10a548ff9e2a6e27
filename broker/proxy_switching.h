// The band's switches of the toolbar's proxy: made directly where the band may write the user's
// settings, through the broker where it may not (a low-integrity browser), waiting for the broker
// as for the proxy test.
#pragma once

#include "connection/connection_proxy.h"

// SetConnectionOptions and DisableConnectionProxy as the band may make them: through the broker, a
// switch may also come to Unanswered.
SwitchResult SwitchProxyOn(const char* proxy, ProxySwitch kind);
SwitchResult SwitchProxyOff();
