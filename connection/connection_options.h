// One Internet connection's proxy options as WinINet keeps them (the LAN connection, or a dial-up
// connection by name), read and written whole.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

struct ConnectionOptions {
  DWORD flags = PROXY_TYPE_DIRECT;  // PROXY_TYPE_*
  std::string proxyServer;          // empty: none
  std::string proxyBypass;
  std::string autoConfigUrl;
  DWORD autoDiscoveryFlags = 0;  // AUTO_PROXY_FLAG_*
};

// Reads the options of `connection` (nullptr: the LAN connection). False when WinINet refuses.
bool QueryConnectionOptions(const char* connection, ConnectionOptions& options);

// Writes all five options to `connection`. False when WinINet refuses.
bool WriteConnectionOptions(const char* connection, const ConnectionOptions& options);

// Writes `count` options to `connection`, as they stand.
bool WriteOptionList(const char* connection, INTERNET_PER_CONN_OPTIONA* options, DWORD count);

// Tells WinINet and its running clients that the settings changed.
void AnnounceSettingsChange();

// Whether `options` route through `proxy` (a "host:port" the toolbar wrote); never for an empty one.
bool UsesProxy(const ConnectionOptions& options, const std::string& proxy);
