// Writes the proxy into Windows' per-connection Internet settings through WinINet, for the LAN
// connection, the default dial-up connection, or both (see ChooseConnections).
#pragma once

#include <string>
#include <vector>

// The caption of every message box the product shows.
constexpr char kMessageCaption[] = "Quillmask";

// What the callers tell the user (caption "Quillmask", an error icon) when WinINet refused to write
// the connections' settings: the proxy was not put in, or is still in use.
constexpr char kProxyNotSetText[] =
    "SETTINGS NOT CHANGED!\nQuillmask could not write your Internet connection settings.\nThe chosen proxy is not in use ";
constexpr char kProxyNotRemovedText[] =
    "SETTINGS NOT CHANGED!\nQuillmask could not write your Internet connection settings.\nThe proxy is still in use ";

// When running WinINet clients are told about the change.
enum class ChangeNotice {
  AfterLastWrite,  // once, after the last connection's write
  AfterEachWrite,  // after every connection's write (the proxy selection flow)
};

// What a switch to a proxy may do.
enum class ProxySwitch {
  On,    // switch the toolbar's proxy on, or over from the one in use
  Over,  // only replace the toolbar's proxy in use ("Enabled" 1): after another window switched it
         // off, nothing changes and the result is false with ERROR_INVALID_STATE
};

// How a switch of the toolbar tells running WinINet clients: a switch-over (the proxy selection
// flow) after each connection's write, a switch-on once after the last.
constexpr ChangeNotice NoticeFor(ProxySwitch kind) {
  return kind == ProxySwitch::Over ? ChangeNotice::AfterEachWrite : ChangeNotice::AfterLastWrite;
}

// Makes `proxy` ("host:port", passed on unchanged) the proxy of the chosen connections, with the
// bypass list "local", and records it as the toolbar's state ("ActiveIP" and "Enabled" 1), in one
// step under the ProxySwitchLock. Before the first switch-on the user's own options of each
// connection are kept (see KeepOwnSettings): options that are the toolbar's proxy are not the
// user's, and a copy already kept stands. All or nothing: when WinINet refuses a connection's write,
// the connections written before it get their options back, nothing new stays kept, the state
// stays, and the result is false with WinINet's error in GetLastError (ERROR_NOT_ENOUGH_MEMORY
// when memory ran out, ERROR_TIMEOUT when another window's switch did not end, ERROR_ACCESS_DENIED
// when the lock found is not the user's). While it waits for the lock the thread handles its
// messages, as a modal dialog does.
bool SetConnectionOptions(const char* proxy, ChangeNotice notice = ChangeNotice::AfterLastWrite,
                          ProxySwitch kind = ProxySwitch::On);

// Switches the chosen connections off the toolbar's proxy ("ActiveIP") and records the toolbar as
// switched off, in one step under the ProxySwitchLock. A connection that still uses the toolbar's
// proxy gets the user's own options back where they were kept, else a direct connection; a
// connection that no longer uses it (the user changed it, or it never did) is left exactly as it
// is. A kept copy is forgotten once its connection was given it back or no longer uses the
// toolbar's proxy; the copy of a connection not chosen this time stays for a later switch-off.
// False, with the error in GetLastError, when a write was refused or the lock not had (as for
// SetConnectionOptions): the toolbar's state then stays.
bool DisableConnectionProxy();

// The proxies the toolbar may have left in the connections: the one in use and those noted with each
// kept copy. Read before a switch-off, for ToolbarProxyLeftIn to check it afterwards.
std::vector<std::string> ToolbarProxies();

// Whether the LAN connection or the default dial-up connection, chosen for a switch-off or not,
// still routes through one of `proxies` or of ToolbarProxies() as they are now. A connection whose
// options cannot be read counts as routing through them.
bool ToolbarProxyLeftIn(std::vector<std::string> proxies);
