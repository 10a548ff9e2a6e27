// Writes the proxy into Windows' per-connection Internet settings through WinINet, for the LAN
// connection, the default dial-up connection, or both (see ChooseConnections).
#pragma once

// When running WinINet clients are told about the change.
enum class ChangeNotice {
  AfterLastWrite,  // once, after the last connection's write
  AfterEachWrite,  // after every connection's write (the proxy selection flow)
};

// Makes `proxy` ("host:port", passed on unchanged) the proxy of the chosen connections, with the
// bypass list "local". False only when an option array could not be allocated; WinINet's own
// results are not examined.
bool SetConnectionOptions(const char* proxy, ChangeNotice notice = ChangeNotice::AfterLastWrite);

// Switches the chosen connections back to a direct connection. False as above.
bool DisableConnectionProxy();
