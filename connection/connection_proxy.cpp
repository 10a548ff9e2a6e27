#include "connection/connection_proxy.h"

#include <windows.h>
#include <wininet.h>

#include <new>
#include <optional>
#include <string>
#include <vector>

#include "connection/connection_choice.h"
#include "connection/connection_options.h"
#include "connection/own_settings.h"
#include "settings/registry_value.h"
#include "settings/settings_table.h"

namespace {

constexpr char kEnableAutodialPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\EnableAutodial";
constexpr char kNoNetAutodialPath[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\NoNetAutodial";
constexpr char kDefaultInternetPath[] = "SOFTWARE\\Microsoft\\RAS AutoDial\\Default\\DefaultInternet";
constexpr char kBypassLocal[] = "local";

// A connection to write: the default dial-up connection by name, or the LAN connection.
struct Connection {
  bool dialUp;
  std::string dialUpName;
  const char* Name() const { return dialUp ? dialUpName.c_str() : nullptr; }
};

// The connections chosen from Windows' automatic-dialling values, dial-up first. The values are
// read afresh on every call.
std::vector<Connection> ChosenConnections() {
  RegistryDword enableAutodial(kEnableAutodialPath, 0, false, HKEY_CURRENT_USER);
  RegistryDword noNetAutodial(kNoNetAutodialPath, 0, false, HKEY_CURRENT_USER);
  const ::ChosenConnections chosen = ChooseConnections(enableAutodial, noNetAutodial);
  std::vector<Connection> connections;
  if (chosen.dialUp) {
    connections.push_back({true, RegistryString(kDefaultInternetPath, std::string(), false, HKEY_LOCAL_MACHINE)});
  }
  if (chosen.lan) connections.push_back({false, std::string()});
  return connections;
}

// The toolbar's proxy in use, as it wrote it into the connections.
std::string ToolbarProxy() { return RegistryString(setting::kActiveIP); }

bool WriteProxy(const Connection& connection, const char* proxy) {
  INTERNET_PER_CONN_OPTIONA options[3] = {};
  options[0].dwOption = INTERNET_PER_CONN_FLAGS;
  options[0].Value.dwValue = PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY;
  options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
  options[1].Value.pszValue = const_cast<char*>(proxy);
  options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
  options[2].Value.pszValue = const_cast<char*>(kBypassLocal);
  return WriteOptionList(connection.Name(), options, 3);
}

bool WriteDirect(const Connection& connection) {
  INTERNET_PER_CONN_OPTIONA option = {};
  option.dwOption = INTERNET_PER_CONN_FLAGS;
  option.Value.dwValue = PROXY_TYPE_DIRECT;
  return WriteOptionList(connection.Name(), &option, 1);
}

bool PutProxyIn(const char* proxy, ChangeNotice notice, OwnSettings own) {
  const std::vector<Connection> connections = ChosenConnections();
  std::vector<std::optional<ConnectionOptions>> before;
  for (const Connection& connection : connections) {
    ConnectionOptions options;
    before.push_back(QueryConnectionOptions(connection.Name(), options) ? std::optional(options) : std::nullopt);
  }

  for (size_t i = 0; i < connections.size(); ++i) {
    if (!WriteProxy(connections[i], proxy)) {
      const DWORD error = GetLastError();
      for (size_t j = 0; j < i; ++j) {  // nothing half-written stays
        if (before[j]) WriteConnectionOptions(connections[j].Name(), *before[j]);
      }
      if (i > 0) AnnounceSettingsChange();
      SetLastError(error);
      return false;
    }
    if (notice == ChangeNotice::AfterEachWrite) AnnounceSettingsChange();
  }
  if (notice == ChangeNotice::AfterLastWrite) AnnounceSettingsChange();

  if (own == OwnSettings::Save) {
    const std::string toolbarProxy = ToolbarProxy();
    for (size_t i = 0; i < connections.size(); ++i) {
      if (!before[i]) continue;
      // Options that already were the toolbar's are not the user's: a copy from before stands.
      if (UsesProxy(*before[i], toolbarProxy) && LoadOwnSettings(connections[i].Name())) continue;
      SaveOwnSettings(connections[i].Name(), *before[i]);
    }
  }
  return true;
}

bool TakeProxyOut() {
  const std::string toolbarProxy = ToolbarProxy();
  DWORD error = ERROR_SUCCESS;
  for (const Connection& connection : ChosenConnections()) {
    const std::optional<ConnectionOptions> own = LoadOwnSettings(connection.Name());
    bool written = true;
    if (!own) {
      written = WriteDirect(connection);
    } else {
      ConnectionOptions now;
      if (QueryConnectionOptions(connection.Name(), now) && !UsesProxy(now, toolbarProxy)) continue;
      written = WriteConnectionOptions(connection.Name(), *own);
    }
    if (!written && error == ERROR_SUCCESS) error = GetLastError();
  }
  AnnounceSettingsChange();
  if (error == ERROR_SUCCESS) {
    ForgetOwnSettings();
    return true;
  }
  SetLastError(error);
  return false;
}

// Runs `operation`; memory running out is told to the debugger and fails it.
template <typename Operation>
bool Guarded(Operation operation, const char* allocationFailure) {
  try {
    return operation();
  } catch (const std::bad_alloc&) {
    OutputDebugStringA(allocationFailure);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
}

}  // namespace

bool SetConnectionOptions(const char* proxy, ChangeNotice notice, OwnSettings own) {
  return Guarded([&] { return PutProxyIn(proxy, notice, own); }, "failed to allocat memory in SetConnectionOptions()");
}

bool DisableConnectionProxy() {
  return Guarded(TakeProxyOut, "failed to allocat memory in DisableConnectionProxy()");
}
