#include "settings/shared_registry_dword.h"

#include "settings/settings_table.h"

SharedRegistryDword EnabledSetting(setting::kEnabled, 0);

namespace {
class ExclusiveLock {
 public:
  explicit ExclusiveLock(SRWLOCK& lock) : m_lock(lock) { AcquireSRWLockExclusive(&m_lock); }
  ~ExclusiveLock() { ReleaseSRWLockExclusive(&m_lock); }
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;

 private:
  SRWLOCK& m_lock;
};
}  // namespace

SharedRegistryDword::SharedRegistryDword(const SettingName& setting, DWORD defaultValue)
    : m_setting(setting), m_dwDefault(defaultValue) {}

RegistryDword& SharedRegistryDword::Value() {
  if (!m_value) m_value.emplace(m_setting, m_dwDefault);
  return *m_value;
}

SharedRegistryDword::operator DWORD() {
  ExclusiveLock lock(m_lock);
  return Value();
}

SharedRegistryDword& SharedRegistryDword::operator=(DWORD value) {
  ExclusiveLock lock(m_lock);
  Value() = value;
  return *this;
}
