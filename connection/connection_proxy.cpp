#include "connection/connection_proxy.h"

#include <windows.h>
#include <wininet.h>

#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "connection/connection_choice.h"
#include "connection/connection_options.h"
#include "connection/own_settings.h"
#include "connection/proxy_switch_lock.h"
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

// The default dial-up connection's name, chosen or not; empty when there is none.
std::string DefaultDialUpName() {
  return RegistryString(kDefaultInternetPath, std::string(), false, HKEY_LOCAL_MACHINE).Read();
}

// The connections chosen from Windows' automatic-dialling values, dial-up first. The values are
// read afresh on every call.
std::vector<Connection> ChosenConnections() {
  const ::ChosenConnections chosen =
      ChooseConnections(RegistryDword(kEnableAutodialPath, 0, false, HKEY_CURRENT_USER).Read(),
                        RegistryDword(kNoNetAutodialPath, 0, false, HKEY_CURRENT_USER).Read());
  std::vector<Connection> connections;
  if (chosen.dialUp) {
    connections.push_back({true, DefaultDialUpName()});
  }
  if (chosen.lan) connections.push_back({false, std::string()});
  return connections;
}

// The toolbar's proxy in use, as it wrote it into the connections.
std::string ToolbarProxy() { return ReadSetting(setting::kActiveIP); }

// The toolbar's state that every window shows: the proxy in use (empty: none) and "Enabled".
void WriteToolbarState(const std::string& proxy) {
  WriteSetting(setting::kActiveIP, proxy);
  WriteSetting(setting::kEnabled, proxy.empty() ? 0 : 1);
}

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

SwitchResult PutProxyIn(const char* proxy, ProxySwitch kind) {
  const ProxySwitchLock lock;
  if (!lock.Held()) return SwitchResult::LockNotHad;
  if (kind == ProxySwitch::Over && ReadSetting(setting::kEnabled) != 1) {
    return SwitchResult::NotSwitchedOn;
  }
  const std::string toolbarProxy = ToolbarProxy();
  const std::vector<Connection> connections = ChosenConnections();
  std::vector<std::optional<ConnectionOptions>> before;
  std::vector<bool> kept;  // whether this switch kept the user's copy of the connection
  for (const Connection& connection : connections) {
    ConnectionOptions options;
    const bool known = QueryConnectionOptions(connection.Name(), options);
    before.push_back(known ? std::optional(options) : std::nullopt);
    kept.push_back(known && !UsesProxy(options, toolbarProxy) && KeepOwnSettings(connection.Name(), options));
  }

  const bool announceEachWrite = kind == ProxySwitch::Over;  // the proxy selection flow's way
  for (size_t i = 0; i < connections.size(); ++i) {
    if (!WriteProxy(connections[i], proxy)) {
      for (size_t j = 0; j < i; ++j) {  // nothing half-written stays
        if (before[j]) WriteConnectionOptions(connections[j].Name(), *before[j]);
      }
      for (size_t j = 0; j < connections.size(); ++j) {
        if (kept[j]) ForgetOwnSettings(connections[j].Name());
      }
      if (i > 0) AnnounceSettingsChange();
      return SwitchResult::Refused;
    }
    if (announceEachWrite) AnnounceSettingsChange();
  }
  if (!announceEachWrite) AnnounceSettingsChange();
  for (const Connection& connection : connections) NoteToolbarProxy(connection.Name(), proxy);
  WriteToolbarState(proxy);
  return SwitchResult::Done;
}

SwitchResult TakeProxyOut() {
  const ProxySwitchLock lock;
  if (!lock.Held()) return SwitchResult::LockNotHad;
  const std::string toolbarProxy = ToolbarProxy();
  bool refused = false;
  for (const Connection& connection : ChosenConnections()) {
    ConnectionOptions now;
    const bool known = QueryConnectionOptions(connection.Name(), now);
    const std::optional<KeptSettings> kept = LoadOwnSettings(connection.Name());
    // The toolbar's proxy is the one in use, or one it put in while this connection was last chosen.
    const bool toolbars = known && (UsesProxy(now, toolbarProxy) || (kept && UsesProxy(now, kept->toolbarProxy)));
    bool written = true;
    if (kept && (toolbars || !known)) {
      written = WriteConnectionOptions(connection.Name(), kept->own);
    } else if (!kept && toolbars) {
      written = WriteDirect(connection);
    }  // else the connection is the user's own: left as it is
    if (written && kept) ForgetOwnSettings(connection.Name());
    refused = refused || !written;
  }
  AnnounceSettingsChange();
  if (refused) return SwitchResult::Refused;
  WriteToolbarState(std::string());
  return SwitchResult::Done;
}

// Every connection the toolbar may have written: the default dial-up connection (if there is one)
// and the LAN connection, whatever the automatic-dialling values choose now.
std::vector<Connection> WrittenConnections() {
  std::vector<Connection> connections;
  if (std::string name = DefaultDialUpName(); !name.empty()) connections.push_back({true, std::move(name)});
  connections.push_back({false, std::string()});
  return connections;
}

// Runs `operation`; memory running out is told to the debugger and ends it.
template <typename Operation>
SwitchResult Guarded(Operation operation, const char* allocationFailure) {
  try {
    return operation();
  } catch (const std::bad_alloc&) {
    OutputDebugStringA(allocationFailure);
    return SwitchResult::OutOfMemory;
  }
}

}  // namespace

// The debugger's texts keep the names these operations have always had there.
SwitchResult SetConnectionOptions(const char* proxy, ProxySwitch kind) {
  return Guarded([&] { return PutProxyIn(proxy, kind); }, "failed to allocat memory in SetConnectionOptions()");
}

SwitchResult DisableConnectionProxy() {
  return Guarded(TakeProxyOut, "failed to allocat memory in DisableConnectionProxy()");
}

std::vector<std::string> ToolbarProxies() {
  std::vector<std::string> proxies = {ToolbarProxy()};
  for (const Connection& connection : WrittenConnections()) {
    if (const std::optional<KeptSettings> kept = LoadOwnSettings(connection.Name())) proxies.push_back(kept->toolbarProxy);
  }
  return proxies;
}

bool ToolbarProxyLeftIn(const std::vector<std::string>& proxies) {
  for (const Connection& connection : WrittenConnections()) {
    ConnectionOptions now;
    if (!QueryConnectionOptions(connection.Name(), now)) return true;
    for (const std::string& proxy : proxies) {
      if (UsesProxy(now, proxy)) return true;
    }
  }
  return false;
}
