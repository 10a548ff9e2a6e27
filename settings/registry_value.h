// One registry value, named by its full path: read when built, cached, written through when
// assigned a different value. RegistryDword and RegistryString are the two kinds in use.
//
// Failures are silent by design: an unreadable value answers the default, a failed write leaves
// the registry unchanged. Not thread-safe; see SharedRegistryDword for the shared instance.
#pragma once

#include <windows.h>

#include <string>

template <typename T>
class RegistryValue {
 public:
  RegistryValue(const char* fullPath, T defaultValue = T(), bool force = false,
                HKEY root = HKEY_LOCAL_MACHINE);

  // Reads the registry now; the default when the key or value cannot be read.
  T Read();
  // Writes the cached value now, creating missing keys.
  void Write();
  // The cached value once a read or write succeeded (and force is off), else a fresh read.
  operator T();
  // Stores and writes the value when it differs from the cached one (or force is on).
  RegistryValue& operator=(const T& value);

  RegistryValue(const RegistryValue&) = delete;
  RegistryValue& operator=(const RegistryValue&) = delete;

 private:
  HKEY m_hRoot;
  std::string m_strValueName;
  std::string m_strKeyPath;
  T m_value{};
  T m_default;
  bool m_bRead = false;
  bool m_bForce;
};

using RegistryDword = RegistryValue<DWORD>;
using RegistryString = RegistryValue<std::string>;

extern template class RegistryValue<DWORD>;
extern template class RegistryValue<std::string>;
