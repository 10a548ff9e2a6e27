#include "settings/registry_value.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "settings/registry_path.h"

namespace {

// Closes a key handle opened for one access.
class ScopedKey {
 public:
  ScopedKey() = default;
  ~ScopedKey() {
    if (m_hKey) RegCloseKey(m_hKey);
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;
  HKEY* Receive() { return &m_hKey; }
  HKEY Get() const { return m_hKey; }

 private:
  HKEY m_hKey = nullptr;
};

// A number is accepted only as a value of its own type and exactly its size.
template <typename Number, DWORD kType>
bool QueryNumber(HKEY key, const char* name, Number& out) {
  DWORD type = 0;
  Number data = 0;
  DWORD size = sizeof(data);
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
      type != kType || size != sizeof(data)) {
    return false;
  }
  out = data;
  return true;
}

template <typename Number, DWORD kType>
bool SetNumber(HKEY key, const char* name, const Number& value) {
  return RegSetValueExA(key, name, 0, kType, reinterpret_cast<const BYTE*>(&value), sizeof(value)) == ERROR_SUCCESS;
}

bool QueryValue(HKEY key, const char* name, DWORD& out) { return QueryNumber<DWORD, REG_DWORD>(key, name, out); }
bool QueryValue(HKEY key, const char* name, ULONGLONG& out) { return QueryNumber<ULONGLONG, REG_QWORD>(key, name, out); }

// A text is accepted as REG_SZ or REG_EXPAND_SZ (unexpanded); it ends at its first zero or at the
// last byte returned, whichever comes first, so a value stored without terminator is safe.
bool QueryValue(HKEY key, const char* name, std::string& out) {
  // The value may grow between the size query and the read; try again a few times.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;

    std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
    DWORD returned = size;
    const LONG status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &returned);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;

    const size_t length = strnlen(buffer.data(), std::min(returned, size));
    out.assign(buffer.data(), length);
    return true;
  }
  return false;
}

bool SetValue(HKEY key, const char* name, const DWORD& value) { return SetNumber<DWORD, REG_DWORD>(key, name, value); }
bool SetValue(HKEY key, const char* name, const ULONGLONG& value) {
  return SetNumber<ULONGLONG, REG_QWORD>(key, name, value);
}

// Stored with its terminating zero.
bool SetValue(HKEY key, const char* name, const std::string& value) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

// A setting's default as its value: a text default may be left null, for the empty text.
std::string ValueOf(const char* text) { return text ? text : ""; }
template <typename Number>
Number ValueOf(Number number) {
  return number;
}

}  // namespace

template <typename T>
RegistryValue<T>::RegistryValue(const char* fullPath, T defaultValue, bool force, HKEY root)
    : m_hRoot(root), m_default(std::move(defaultValue)), m_bForce(force) {
  RegistryPath path = SplitRegistryPath(fullPath ? fullPath : "");
  m_strKeyPath = std::move(path.keyPath);
  m_strValueName = std::move(path.valueName);
}

template <typename T>
RegistryValue<T>::RegistryValue(const Setting<T>& setting, bool force)
    : RegistryValue(setting.fullPath, ValueOf(setting.defaultValue), force) {
  m_scope = setting.scope;
}

template <typename T>
ValuePlaces RegistryValue<T>::Places() const {
  return m_scope ? PlacesOf(*m_scope, m_strKeyPath) : PlacesOf(m_hRoot, m_strKeyPath);
}

template <typename T>
bool RegistryValue<T>::ReadFrom(const RegistryKey& place) {
  ScopedKey key;
  if (RegOpenKeyExA(place.root, place.path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return false;
  return QueryValue(key.Get(), m_strValueName.c_str(), m_value);
}

template <typename T>
bool RegistryValue<T>::WriteTo(const RegistryKey& place) {
  ScopedKey key;
  return RegCreateKeyExA(place.root, place.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                         key.Receive(), nullptr) == ERROR_SUCCESS &&
         SetValue(key.Get(), m_strValueName.c_str(), m_value);
}

template <typename T>
T RegistryValue<T>::Read() {
  const ValuePlaces places = Places();
  bool found = places.inMemory && memory_settings::Find(FullPath(), m_value);
  for (size_t i = 0; !found && i < places.read.size(); ++i) found = ReadFrom(places.read[i]);
  if (!found) return m_default;
  m_bRead = true;
  return m_value;
}

template <typename T>
bool RegistryValue<T>::Write() {
  const ValuePlaces places = Places();
  for (const RegistryKey& place : places.write) {
    if (!WriteTo(place)) continue;
    if (places.inMemory) memory_settings::Erase(FullPath());
    // One place holds the value: an older copy elsewhere would answer some reader before it.
    for (const RegistryKey& other : places.write) {
      if (&other != &place) RegDeleteKeyValueA(other.root, other.path.c_str(), m_strValueName.c_str());
    }
    return true;
  }
  if (places.inMemory) memory_settings::Store(FullPath(), m_value);
  return false;
}

template <typename T>
RegistryValue<T>& RegistryValue<T>::operator=(const T& value) {
  if (!m_bRead && !m_bForce) Read();
  if (value != m_value || m_bForce) {
    m_value = value;
    m_bRead = true;  // current, whether or not the registry took it
    Write();
  }
  return *this;
}

template class RegistryValue<DWORD>;
template class RegistryValue<ULONGLONG>;
template class RegistryValue<std::string>;
