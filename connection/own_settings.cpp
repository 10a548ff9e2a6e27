#include "connection/own_settings.h"

#include "settings/registry_value.h"
#include "settings/user_keys.h"

namespace {

constexpr char kOwnSettingsKey[] = "Software\\Quillmask\\OwnConnectionSettings";

// One kept value of a connection's options. It decides where the user's traffic goes when the
// toolbar switches off, so it is the user's own key's alone (never the low-integrity copy's).
template <typename T>
RegistryValue<T> Kept(const std::string& connectionKey, const char* name, bool force = false) {
  const std::string fullPath = connectionKey + '\\' + name;
  return RegistryValue<T>(Setting<T>{fullPath.c_str(), SettingScope::MediumUser, {}}, force);
}

// Writes one value of a copy, an empty or zero one too: forced, as a copy is written whole.
template <typename T>
void KeepValue(const std::string& connectionKey, const char* name, const T& value) {
  RegistryValue<T> kept = Kept<T>(connectionKey, name, true);
  kept = value;
}

// Reads one value of a copy into `out`; false when it is missing or of another type.
template <typename T>
bool LoadValue(const std::string& connectionKey, const char* name, T& out) {
  RegistryValue<T> kept = Kept<T>(connectionKey, name);
  const T value = kept.Read();
  if (!kept.Found()) return false;
  out = value;
  return true;
}

// The LAN connection and the default dial-up connection each have a key of their own; the dial-up
// connection's name is kept beside its options.
std::string ConnectionKey(const char* connection) {
  return std::string(kOwnSettingsKey) + (connection ? "\\DialUp" : "\\LAN");
}

// The copy kept in `key`, whole: every value there, each of its own type, and a connection type
// (never 0). Anything less is no copy, so nothing of a half-written one mixes into the settings.
std::optional<KeptSettings> LoadCopy(const std::string& key, std::string& connection) {
  KeptSettings kept;
  if (!LoadValue(key, "Connection", connection) || !LoadValue(key, "Flags", kept.own.flags) ||
      !LoadValue(key, "ProxyServer", kept.own.proxyServer) || !LoadValue(key, "ProxyBypass", kept.own.proxyBypass) ||
      !LoadValue(key, "AutoConfigURL", kept.own.autoConfigUrl) ||
      !LoadValue(key, "AutoDiscoveryFlags", kept.own.autoDiscoveryFlags) ||
      !LoadValue(key, "ToolbarProxy", kept.toolbarProxy) || kept.own.flags == 0) {
    return std::nullopt;
  }
  return kept;
}

bool HoldsCopy(const std::string& key) {
  std::string connection;
  return LoadCopy(key, connection).has_value();
}

// The copy of `connection` itself (the dial-up place holds one connection's).
std::optional<KeptSettings> CopyOf(const std::string& key, const char* connection) {
  std::string kept;
  std::optional<KeptSettings> copy = LoadCopy(key, kept);
  if (kept != (connection ? connection : "")) return std::nullopt;
  return copy;
}

}  // namespace

bool KeepOwnSettings(const char* connection, const ConnectionOptions& options) {
  const std::string key = ConnectionKey(connection);
  if (HoldsCopy(key)) return false;
  DeleteUserKey(key);  // nothing of a half-written copy may mix in
  KeepValue(key, "Connection", std::string(connection ? connection : ""));
  KeepValue(key, "ProxyServer", options.proxyServer);
  KeepValue(key, "ProxyBypass", options.proxyBypass);
  KeepValue(key, "AutoConfigURL", options.autoConfigUrl);
  KeepValue(key, "AutoDiscoveryFlags", options.autoDiscoveryFlags);
  KeepValue(key, "ToolbarProxy", std::string());
  // Last, as it completes the copy; a type of 0 (none read) counts as a direct connection.
  KeepValue(key, "Flags", options.flags ? options.flags : static_cast<DWORD>(PROXY_TYPE_DIRECT));
  return true;
}

void NoteToolbarProxy(const char* connection, const std::string& proxy) {
  const std::string key = ConnectionKey(connection);
  if (CopyOf(key, connection)) KeepValue(key, "ToolbarProxy", proxy);
}

std::optional<KeptSettings> LoadOwnSettings(const char* connection) {
  return CopyOf(ConnectionKey(connection), connection);
}

void ForgetOwnSettings(const char* connection) {
  const std::string key = ConnectionKey(connection);
  if (CopyOf(key, connection)) DeleteUserKey(key);
}
