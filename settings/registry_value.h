// One registry value, named by its full path: read when built, cached, written through when
// assigned a different value. RegistryDword, RegistryQword and RegistryString are the kinds in use.
//
// A value under one root (Windows' own values) lives in that root's key. A toolbar setting lives
// where its scope says (see settings_table.h and user_keys.h): a user's value is read from the
// user's keys, the one this process may write first, and written to the first of them that
// accepts it, or kept in the process's memory when none does. A medium-integrity one has the
// user's own key alone (or the process's memory).
//
// Failures are silent by design: an unreadable value answers the default. An assignment always
// becomes the object's current value, even where the registry refused it, so its user behaves
// consistently; Write() tells whether the value really reached the registry. Not thread-safe: an
// object serves one operation on one thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "settings/settings_table.h"

template <typename T>
class RegistryValue {
 public:
  RegistryValue(const char* fullPath, T defaultValue = T(), bool force = false,
                HKEY root = HKEY_LOCAL_MACHINE);
  explicit RegistryValue(const SettingName& setting, T defaultValue = T(), bool force = false);

  // Reads the registry now; the default when the value cannot be read anywhere.
  T Read();
  // Writes the cached value now, creating missing keys. True when the registry took it.
  bool Write();
  // Whether the value was read (of its own type) or assigned.
  bool Found() const { return m_bRead; }
  // The cached value once read or assigned (and force is off), else a fresh read.
  operator T();
  // Stores and writes the value when it differs from the cached one (or force is on).
  RegistryValue& operator=(const T& value);

  RegistryValue(const RegistryValue&) = delete;
  RegistryValue& operator=(const RegistryValue&) = delete;

 private:
  // The user's keys that hold it, in the order they are read and written.
  std::vector<std::string> KeyPaths() const;
  bool ReadFrom(HKEY root, const std::string& keyPath);
  bool WriteTo(HKEY root, const std::string& keyPath);
  std::string FullPath() const { return m_strKeyPath + '\\' + m_strValueName; }

  HKEY m_hRoot;  // the one root, or HKEY_LOCAL_MACHINE for a setting
  std::string m_strValueName;
  std::string m_strKeyPath;
  T m_value{};
  T m_default;
  bool m_bRead = false;
  bool m_bForce;
  bool m_bUserKeys = false;   // the user's keys hold it
  bool m_bLowCopy = false;    // among them the low-integrity copy of the key
  bool m_bRootKey = true;     // the root's key holds it (behind the user's keys, if any)
};

using RegistryDword = RegistryValue<DWORD>;
using RegistryQword = RegistryValue<ULONGLONG>;
using RegistryString = RegistryValue<std::string>;

extern template class RegistryValue<DWORD>;
extern template class RegistryValue<ULONGLONG>;
extern template class RegistryValue<std::string>;
