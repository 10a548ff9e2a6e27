// Direct registry access for tests: sets up and inspects values without the classes under test.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace testreg {

struct RawValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

void DeleteKey(HKEY root, const char* keyPath);  // with everything below it
void DeleteValue(HKEY root, const char* keyPath, const char* name);
bool KeyExists(HKEY root, const char* keyPath);
void SetRaw(HKEY root, const char* keyPath, const char* name, DWORD type, const void* data, DWORD size);
void SetDword(HKEY root, const char* keyPath, const char* name, DWORD value);
void SetString(HKEY root, const char* keyPath, const char* name, const std::string& value);  // with its zero
std::optional<RawValue> GetRaw(HKEY root, const char* keyPath, const char* name);
std::optional<DWORD> GetDword(HKEY root, const char* keyPath, const char* name);
std::optional<std::string> GetString(HKEY root, const char* keyPath, const char* name);  // up to its zero
std::string GuidText(REFGUID guid);  // "{...}", as the registry names keys and values after a GUID

// Makes `keyPath` (created if missing) readable by everyone and writable by nobody while it
// lives, as HKEY_LOCAL_MACHINE is for a standard user; its owner puts the old access back.
class ReadOnlyKey {
 public:
  ReadOnlyKey(HKEY root, const char* keyPath);
  ~ReadOnlyKey();
  ReadOnlyKey(const ReadOnlyKey&) = delete;
  ReadOnlyKey& operator=(const ReadOnlyKey&) = delete;

 private:
  HKEY m_hRoot;
  std::string m_keyPath;
  std::vector<BYTE> m_previous;  // the key's own security descriptor (its DACL)
};

}  // namespace testreg
