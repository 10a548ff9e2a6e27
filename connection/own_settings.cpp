#include "connection/own_settings.h"

#include "settings/registry_value.h"
#include "settings/user_keys.h"

namespace {

constexpr char kOwnSettingsKey[] = "Software\\Quillmask\\OwnConnectionSettings";

// One kept value of a connection's options.
template <typename T>
RegistryValue<T> Kept(const std::string& connectionKey, const char* name) {
  const std::string fullPath = connectionKey + '\\' + name;
  return RegistryValue<T>(SettingName{fullPath.c_str(), SettingScope::User});
}

// The LAN connection and the default dial-up connection each have a key of their own; the dial-up
// connection's name is kept beside its options.
std::string ConnectionKey(const char* connection) {
  return std::string(kOwnSettingsKey) + (connection ? "\\DialUp" : "\\LAN");
}

// A copy is complete once its connection type is written (never 0).
bool HoldsCopy(const std::string& key) { return static_cast<DWORD>(Kept<DWORD>(key, "Flags")) != 0; }

bool HoldsCopyOf(const std::string& key, const char* connection) {
  return HoldsCopy(key) &&
         static_cast<std::string>(Kept<std::string>(key, "Connection")) == (connection ? connection : "");
}

}  // namespace

bool KeepOwnSettings(const char* connection, const ConnectionOptions& options) {
  const std::string key = ConnectionKey(connection);
  if (HoldsCopy(key)) return false;
  DeleteUserKey(key);  // nothing of a half-written copy may mix in
  Kept<std::string>(key, "Connection") = std::string(connection ? connection : "");
  Kept<std::string>(key, "ProxyServer") = options.proxyServer;
  Kept<std::string>(key, "ProxyBypass") = options.proxyBypass;
  Kept<std::string>(key, "AutoConfigURL") = options.autoConfigUrl;
  Kept<DWORD>(key, "AutoDiscoveryFlags") = options.autoDiscoveryFlags;
  // Last, as it marks the copy complete; a type of 0 (none read) counts as a direct connection.
  Kept<DWORD>(key, "Flags") = options.flags ? options.flags : static_cast<DWORD>(PROXY_TYPE_DIRECT);
  return true;
}

void NoteToolbarProxy(const char* connection, const std::string& proxy) {
  const std::string key = ConnectionKey(connection);
  if (HoldsCopyOf(key, connection)) Kept<std::string>(key, "ToolbarProxy") = proxy;
}

std::optional<KeptSettings> LoadOwnSettings(const char* connection) {
  const std::string key = ConnectionKey(connection);
  if (!HoldsCopyOf(key, connection)) return std::nullopt;
  KeptSettings kept;
  kept.own.flags = Kept<DWORD>(key, "Flags");
  kept.own.proxyServer = Kept<std::string>(key, "ProxyServer");
  kept.own.proxyBypass = Kept<std::string>(key, "ProxyBypass");
  kept.own.autoConfigUrl = Kept<std::string>(key, "AutoConfigURL");
  kept.own.autoDiscoveryFlags = Kept<DWORD>(key, "AutoDiscoveryFlags");
  kept.toolbarProxy = Kept<std::string>(key, "ToolbarProxy");
  return kept;
}

void ForgetOwnSettings(const char* connection) {
  const std::string key = ConnectionKey(connection);
  if (HoldsCopyOf(key, connection)) DeleteUserKey(key);
}
