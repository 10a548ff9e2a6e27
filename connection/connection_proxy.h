// Writes the proxy into Windows' per-connection Internet settings through WinINet, for the LAN
// connection, the default dial-up connection, or both (see ChooseConnections).
#pragma once

#include <string>
#include <vector>

#include "connection/switch_result.h"

// The caption of every message box the product shows.
constexpr char kMessageCaption[] = "Quillmask";

// What the callers tell the user (caption "Quillmask", an error icon) when WinINet refused to write
// the connections' settings: the proxy was not put in, or is still in use.
constexpr char kProxyNotSetText[] =
    "SETTINGS NOT CHANGED!\nQuillmask could not write your Internet connection settings.\nThe chosen proxy is not in use ";
constexpr char kProxyNotRemovedText[] =
    "SETTINGS NOT CHANGED!\nQuillmask could not write your Internet connection settings.\nThe proxy is still in use ";

// Makes `proxy` ("host:port", passed on unchanged) the proxy of the chosen connections, with the
// bypass list "local", and records it as the toolbar's state ("ActiveIP" and "Enabled" 1), in one
// step under the ProxySwitchLock. Before the first switch-on the user's own options of each
// connection are kept (see KeepOwnSettings): options that are the toolbar's proxy are not the
// user's, and a copy already kept stands. Running WinINet clients are told once after the last
// connection's write, or after each write for a switch-over (the proxy selection flow). All or
// nothing: when WinINet refuses a connection's write, the connections written before it get their
// options back, nothing new stays kept, the state stays, and the result is Refused. A switch-over
// while the toolbar's proxy is off changes nothing (NotSwitchedOn). While it waits for the lock the
// thread handles its messages, as a modal dialog does.
SwitchResult SetConnectionOptions(const char* proxy, ProxySwitch kind = ProxySwitch::On);

// Switches the chosen connections off the toolbar's proxy ("ActiveIP") and records the toolbar as
// switched off, in one step under the ProxySwitchLock. A connection that still uses the toolbar's
// proxy gets the user's own options back where they were kept, else a direct connection; a
// connection that no longer uses it (the user changed it, or it never did) is left exactly as it
// is. A kept copy is forgotten once its connection was given it back or no longer uses the
// toolbar's proxy; the copy of a connection not chosen this time stays for a later switch-off.
// When a write is refused or the lock not had, the toolbar's state stays.
SwitchResult DisableConnectionProxy();

// The proxies the toolbar may have left in the connections: the one in use and those noted with each
// kept copy. Read before a switch-off, for ToolbarProxyLeftIn to check it afterwards.
std::vector<std::string> ToolbarProxies();

// Whether the LAN connection or the default dial-up connection, chosen for a switch-off or not,
// still routes through one of `proxies` (ToolbarProxies() as read before the switch-off: they hold
// every proxy a copy still kept afterwards names). A connection whose options cannot be read counts
// as routing through them.
bool ToolbarProxyLeftIn(const std::vector<std::string>& proxies);
