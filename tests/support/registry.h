// Direct registry access for tests: sets up and inspects values without the classes under test.
#pragma once
#include <windows.h>
#include <sddl.h>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace testreg {

inline void DeleteKey(HKEY root, const char* keyPath) {  // with everything below it
  const LONG status = RegDeleteTreeA(root, keyPath);
  ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << keyPath << ": " << status;
  RegDeleteKeyA(root, keyPath);
}
inline void DeleteValue(HKEY root, const char* keyPath, const char* name) { RegDeleteKeyValueA(root, keyPath, name); }
inline bool KeyExists(HKEY root, const char* keyPath) {
  HKEY key;
  return RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key) == ERROR_SUCCESS && RegCloseKey(key) == ERROR_SUCCESS;
}

inline void SetDword(HKEY root, const char* keyPath, const char* name, DWORD value) {
  EXPECT_EQ(RegSetKeyValueA(root, keyPath, name, REG_DWORD, &value, sizeof(value)), ERROR_SUCCESS) << keyPath << name;
}
inline void SetString(HKEY root, const char* keyPath, const char* name, const std::string& value) {  // with its zero
  const DWORD size = static_cast<DWORD>(value.size() + 1);
  EXPECT_EQ(RegSetKeyValueA(root, keyPath, name, REG_SZ, value.c_str(), size), ERROR_SUCCESS) << keyPath << name;
}
// A value of the type asked for; none when it is missing or of another type.
inline std::optional<DWORD> GetDword(HKEY root, const char* keyPath, const char* name) {
  DWORD value = 0, size = sizeof(value);
  if (RegGetValueA(root, keyPath, name, RRF_RT_REG_DWORD, nullptr, &value, &size)) return std::nullopt;
  return value;
}
inline std::optional<std::string> GetString(HKEY root, const char* keyPath, const char* name) {  // up to its zero
  DWORD size = 0;
  if (RegGetValueA(root, keyPath, name, RRF_RT_REG_SZ, nullptr, nullptr, &size)) return std::nullopt;
  std::string text(size, '\0');
  if (RegGetValueA(root, keyPath, name, RRF_RT_REG_SZ, nullptr, text.data(), &size)) return std::nullopt;
  return text.substr(0, text.find('\0'));
}

// Makes `keyPath` (created if missing) readable by everyone and writable by nobody while it
// lives, as HKEY_LOCAL_MACHINE is for a standard user; its owner puts the old access back.
class ReadOnlyKey {
 public:
  ReadOnlyKey(HKEY root, const char* keyPath) : m_hRoot(root), m_keyPath(keyPath) {
    HKEY key;
    EXPECT_EQ(RegCreateKeyExA(root, keyPath, 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, &key, nullptr), 0);
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    m_previous.resize(size);
    EXPECT_EQ(RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, m_previous.data(), &size), ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly, nullptr);
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
    LocalFree(readOnly), RegCloseKey(key);
  }
  ~ReadOnlyKey() {
    HKEY key;
    EXPECT_EQ(RegOpenKeyExA(m_hRoot, m_keyPath.c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, m_previous.data()), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  ReadOnlyKey(const ReadOnlyKey&) = delete;
  ReadOnlyKey& operator=(const ReadOnlyKey&) = delete;

 private:
  const HKEY m_hRoot;
  const std::string m_keyPath;
  std::vector<BYTE> m_previous;  // the key's own security descriptor (its DACL)
};

}  // namespace testreg
