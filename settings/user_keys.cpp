#include "settings/user_keys.h"

#include <map>

namespace {

constexpr char kLowIntegrityRoot[] = "Software\\AppDataLow\\";

// Whether this process may set values in `keyPath`, or create it where it is missing.
bool MayWrite(const std::string& keyPath) {
  std::string path = keyPath;
  REGSAM access = KEY_SET_VALUE;
  for (;;) {
    HKEY key = nullptr;
    const LONG status = RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, access, &key);
    if (status == ERROR_SUCCESS) {
      RegCloseKey(key);
      return true;
    }
    if (status != ERROR_FILE_NOT_FOUND || path.empty()) return false;
    // Missing: what counts is whether its nearest existing parent lets a key be made below it.
    const size_t slash = path.rfind('\\');
    path.resize(slash == std::string::npos ? 0 : slash);
    access = KEY_CREATE_SUB_KEY;
  }
}

class MemoryStore {
 public:
  template <typename T>
  bool Find(const std::string& fullPath, T& value) {
    AcquireSRWLockShared(&m_lock);
    const auto found = m_values.find(fullPath);
    const T* stored = found == m_values.end() ? nullptr : std::get_if<T>(&found->second);
    if (stored) value = *stored;
    ReleaseSRWLockShared(&m_lock);
    return stored != nullptr;
  }
  void Store(const std::string& fullPath, memory_settings::Value value) {
    AcquireSRWLockExclusive(&m_lock);
    try {
      m_values[fullPath] = std::move(value);
    } catch (...) {
      // Out of memory: the value is simply not kept.
    }
    ReleaseSRWLockExclusive(&m_lock);
  }
  // Erases `path` itself, or everything below it when `below` is set.
  void Erase(const std::string& path, bool below) {
    AcquireSRWLockExclusive(&m_lock);
    if (!below) {
      m_values.erase(path);
    } else {
      const std::string prefix = path + '\\';
      auto first = m_values.lower_bound(prefix);
      auto last = first;
      while (last != m_values.end() && last->first.compare(0, prefix.size(), prefix) == 0) ++last;
      m_values.erase(first, last);
    }
    ReleaseSRWLockExclusive(&m_lock);
  }

 private:
  SRWLOCK m_lock = SRWLOCK_INIT;
  std::map<std::string, memory_settings::Value> m_values;
};

MemoryStore g_memory;

// The user's key `keyPath` and its low-integrity copy, the one this process may write first (the
// key itself when it may write neither).
std::vector<std::string> UserKeyPaths(const std::string& keyPath) {
  std::vector<std::string> paths = {keyPath, kLowIntegrityRoot + keyPath};
  if (!MayWrite(paths[0]) && MayWrite(paths[1])) std::swap(paths[0], paths[1]);
  return paths;
}

}  // namespace

ValuePlaces PlacesOf(SettingScope scope, const std::string& keyPath) {
  if (scope == SettingScope::Machine) return PlacesOf(HKEY_LOCAL_MACHINE, keyPath);
  const bool lowCopy = scope == SettingScope::User || scope == SettingScope::UserOverMachine;
  ValuePlaces places{{}, {}, true};
  for (std::string& path : lowCopy ? UserKeyPaths(keyPath) : std::vector<std::string>{keyPath}) {
    places.write.push_back({HKEY_CURRENT_USER, std::move(path)});
  }
  places.read = places.write;
  if (scope != SettingScope::User && scope != SettingScope::MediumUser) {
    places.read.push_back({HKEY_LOCAL_MACHINE, keyPath});
  }
  return places;
}

ValuePlaces PlacesOf(HKEY root, const std::string& keyPath) { return {{{root, keyPath}}, {{root, keyPath}}, false}; }

namespace memory_settings {
bool Find(const std::string& fullPath, DWORD& value) { return g_memory.Find(fullPath, value); }
bool Find(const std::string& fullPath, ULONGLONG& value) { return g_memory.Find(fullPath, value); }
bool Find(const std::string& fullPath, std::string& value) { return g_memory.Find(fullPath, value); }
void Store(const std::string& fullPath, Value value) { g_memory.Store(fullPath, std::move(value)); }
void Erase(const std::string& fullPath) { g_memory.Erase(fullPath, false); }
}  // namespace memory_settings

bool DeleteUserKey(const std::string& keyPath) {
  g_memory.Erase(keyPath, true);
  bool gone = true;
  for (const std::string& path : UserKeyPaths(keyPath)) {
    // Some systems' RegDeleteTree leaves the (emptied) key itself.
    const LONG status = RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    const LONG left = status == ERROR_SUCCESS ? RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str()) : status;
    if (left != ERROR_SUCCESS && left != ERROR_FILE_NOT_FOUND) gone = false;
  }
  return gone;
}
