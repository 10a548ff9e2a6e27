// One registry value, named by its full path: read by Read(), written by Write() or by assigning
// a value that differs from the last one read or assigned. RegistryDword, RegistryQword and
// RegistryString are the kinds in use. The toolbar's settings are read and written with ReadSetting
// and WriteSetting at the place it happens; the objects serve values of Windows' own and the copy
// of the user's connection settings.
//
// A value of Windows' own lives under its one root. A setting lives where its scope says
// (PlacesOf in user_keys.h): read from the first of its places that holds it, written to the first
// that accepts it, or kept in the process's memory when none does.
//
// Failures are silent by design: an unreadable value answers the default. An assignment always
// becomes the object's current value, even where the registry refused it, so its user behaves
// consistently; Write() tells whether the value really reached the registry. Not thread-safe: an
// object serves one operation on one thread.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "settings/settings_table.h"
#include "settings/user_keys.h"

template <typename T>
class RegistryValue {
 public:
  // Building touches no registry.
  explicit RegistryValue(const char* fullPath, T defaultValue = T(), bool force = false,
                         HKEY root = HKEY_LOCAL_MACHINE);
  explicit RegistryValue(const Setting<T>& setting, bool force = false);

  // Reads the registry now; the default when the value cannot be read anywhere.
  T Read();
  // Writes the cached value now, creating missing keys. True when the registry took it.
  bool Write();
  // Whether the value was read (of its own type) or assigned.
  bool Found() const { return m_bRead; }
  // Stores and writes the value when it differs from the cached one, read first where nothing is
  // cached yet (or always, when force is on).
  RegistryValue& operator=(const T& value);

  RegistryValue(const RegistryValue&) = delete;
  RegistryValue& operator=(const RegistryValue&) = delete;

 private:
  ValuePlaces Places() const;
  bool ReadFrom(const RegistryKey& key);
  bool WriteTo(const RegistryKey& key);
  std::string FullPath() const { return m_strKeyPath + '\\' + m_strValueName; }

  HKEY m_hRoot;                          // the one root of a value of Windows' own
  std::optional<SettingScope> m_scope;   // a setting's
  std::string m_strValueName;
  std::string m_strKeyPath;
  T m_value{};
  T m_default;
  bool m_bRead = false;
  bool m_bForce;
};

using RegistryDword = RegistryValue<DWORD>;
using RegistryQword = RegistryValue<ULONGLONG>;
using RegistryString = RegistryValue<std::string>;

extern template class RegistryValue<DWORD>;
extern template class RegistryValue<ULONGLONG>;
extern template class RegistryValue<std::string>;

// The setting as stored now; its default when it is absent or of another type.
template <typename T>
T ReadSetting(const Setting<T>& setting) {
  return RegistryValue<T>(setting).Read();
}

// Stores `value` as the setting unless it holds that already (an absent one holds 0 or the empty
// text).
template <typename T>
void WriteSetting(const Setting<T>& setting, const typename Setting<T>::Value& value) {
  RegistryValue<T> stored(setting);
  stored = value;
}
