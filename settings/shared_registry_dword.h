// A RegistryDword shared by every toolbar of the process. The browser may run its windows on
// several threads, so each access holds a lock around the cached value.
#pragma once

#include <windows.h>

#include <optional>

#include "settings/registry_value.h"

class SharedRegistryDword {
 public:
  SharedRegistryDword(const SettingName& setting, DWORD defaultValue);

  operator DWORD();
  SharedRegistryDword& operator=(DWORD value);

  SharedRegistryDword(const SharedRegistryDword&) = delete;
  SharedRegistryDword& operator=(const SharedRegistryDword&) = delete;

 private:
  RegistryDword& Value();  // caller holds m_lock

  SRWLOCK m_lock = SRWLOCK_INIT;
  const SettingName m_setting;
  DWORD m_dwDefault;
  // Built (and so read once) at first use rather than while the module loads: a registry access
  // under the loader lock is best avoided.
  std::optional<RegistryDword> m_value;
};

// "Enabled", read once per process and answered from the cache afterwards.
extern SharedRegistryDword EnabledSetting;
