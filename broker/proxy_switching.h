// The band's switches of the toolbar's proxy: made directly where the band may write the user's
// settings, through the broker where it may not (a low-integrity browser), waiting for the broker
// as for the proxy test.
#pragma once

#include "connection/connection_proxy.h"

// What a switch came to.
enum class SwitchResult {
  Done,
  Refused,        // nothing changed: the settings refused the write, or another switch held the lock
  NotSwitchedOn,  // a switch-over after another window switched the proxy off: nothing changed
  Unanswered,     // the broker did not answer in time and may still switch: the state is as it is
};

// On or over to `proxy`, telling running WinINet clients as NoticeFor(kind) says.
SwitchResult SwitchProxyOn(const char* proxy, ProxySwitch kind);
SwitchResult SwitchProxyOff();
