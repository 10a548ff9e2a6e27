// Writes the proxy into Windows' per-connection Internet settings through WinINet, for the LAN
// connection, the default dial-up connection, or both (see ChooseConnections).
#pragma once

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

// What becomes of the connections' options from before the proxy is put in.
enum class OwnSettings {
  Keep,  // another of the toolbar's proxies replaces the one in use: the user's copy stands
  Save,  // the proxy is switched on: keep the user's options, for switching off
};

// Makes `proxy` ("host:port", passed on unchanged) the proxy of the chosen connections, with the
// bypass list "local". All or nothing: when WinINet refuses a connection's write, the connections
// written before it get their options back, and the result is false with WinINet's error in
// GetLastError (ERROR_NOT_ENOUGH_MEMORY when memory ran out).
bool SetConnectionOptions(const char* proxy, ChangeNotice notice = ChangeNotice::AfterLastWrite,
                          OwnSettings own = OwnSettings::Keep);

// Switches the chosen connections off the toolbar's proxy: back to the user's own options where
// they were kept (and only while the connection still uses the toolbar's proxy: settings the user
// changed meanwhile stand), to a direct connection where none were kept. The kept options are
// forgotten once every connection is written. False, with the error in GetLastError, when a write
// was refused.
bool DisableConnectionProxy();
