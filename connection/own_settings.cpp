#include "connection/own_settings.h"

#include <string>

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

}  // namespace

void SaveOwnSettings(const char* connection, const ConnectionOptions& options) {
  const std::string key = ConnectionKey(connection);
  DeleteUserKey(key);  // nothing of an earlier copy may mix in
  Kept<std::string>(key, "Connection") = std::string(connection ? connection : "");
  Kept<std::string>(key, "ProxyServer") = options.proxyServer;
  Kept<std::string>(key, "ProxyBypass") = options.proxyBypass;
  Kept<std::string>(key, "AutoConfigURL") = options.autoConfigUrl;
  Kept<DWORD>(key, "AutoDiscoveryFlags") = options.autoDiscoveryFlags;
  Kept<DWORD>(key, "Flags") = options.flags;  // last: it marks the copy complete
}

std::optional<ConnectionOptions> LoadOwnSettings(const char* connection) {
  const std::string key = ConnectionKey(connection);
  RegistryDword flags = Kept<DWORD>(key, "Flags");
  if (static_cast<DWORD>(flags) == 0) return std::nullopt;  // no connection type: nothing kept
  if (static_cast<std::string>(Kept<std::string>(key, "Connection")) != (connection ? connection : "")) {
    return std::nullopt;
  }
  ConnectionOptions options;
  options.flags = flags;
  options.proxyServer = Kept<std::string>(key, "ProxyServer");
  options.proxyBypass = Kept<std::string>(key, "ProxyBypass");
  options.autoConfigUrl = Kept<std::string>(key, "AutoConfigURL");
  options.autoDiscoveryFlags = Kept<DWORD>(key, "AutoDiscoveryFlags");
  return options;
}

bool ForgetOwnSettings() { return DeleteUserKey(kOwnSettingsKey); }
