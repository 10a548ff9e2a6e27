#include "tests/support/registry.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <sddl.h>

namespace testreg {

void DeleteKey(HKEY root, const char* keyPath) {
  const LONG status = RegDeleteTreeA(root, keyPath);
  ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << keyPath << ": " << status;
  RegDeleteKeyA(root, keyPath);
}

void DeleteValue(HKEY root, const char* keyPath, const char* name) { RegDeleteKeyValueA(root, keyPath, name); }

bool KeyExists(HKEY root, const char* keyPath) {
  HKEY key;
  return RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key) == ERROR_SUCCESS && RegCloseKey(key) == ERROR_SUCCESS;
}

void SetRaw(HKEY root, const char* keyPath, const char* name, DWORD type, const void* data, DWORD size) {
  EXPECT_EQ(RegSetKeyValueA(root, keyPath, name, type, data, size), ERROR_SUCCESS) << keyPath << "\\" << name;
}

void SetDword(HKEY root, const char* keyPath, const char* name, DWORD value) {
  SetRaw(root, keyPath, name, REG_DWORD, &value, sizeof(value));
}

void SetString(HKEY root, const char* keyPath, const char* name, const std::string& value) {
  SetRaw(root, keyPath, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

std::optional<RawValue> GetRaw(HKEY root, const char* keyPath, const char* name) {
  HKEY key;
  if (RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  RawValue value;
  DWORD size = 0;
  LONG status = RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size);
  value.data.resize(size);
  if (status == ERROR_SUCCESS) status = RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &size);
  RegCloseKey(key);
  value.data.resize(size);
  return status == ERROR_SUCCESS ? std::optional(value) : std::nullopt;
}

std::optional<DWORD> GetDword(HKEY root, const char* keyPath, const char* name) {
  const std::optional<RawValue> raw = GetRaw(root, keyPath, name);
  if (!raw || raw->type != REG_DWORD || raw->data.size() != sizeof(DWORD)) return std::nullopt;
  return *reinterpret_cast<const DWORD*>(raw->data.data());
}

std::optional<std::string> GetString(HKEY root, const char* keyPath, const char* name) {
  const std::optional<RawValue> raw = GetRaw(root, keyPath, name);
  if (!raw || raw->type != REG_SZ) return std::nullopt;
  const std::string text(raw->data.begin(), raw->data.end());
  return text.substr(0, text.find('\0'));
}

std::string GuidText(REFGUID guid) {
  wchar_t wide[40] = {};
  StringFromGUID2(guid, wide, 40);
  return std::string(wide, wide + wcslen(wide));  // plain ASCII
}

ReadOnlyKey::ReadOnlyKey(HKEY root, const char* keyPath) : m_hRoot(root), m_keyPath(keyPath) {
  HKEY key;
  EXPECT_EQ(RegCreateKeyExA(root, keyPath, 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, &key, nullptr), 0);
  DWORD size = 0;
  RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
  m_previous.resize(size);
  EXPECT_EQ(RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, m_previous.data(), &size), ERROR_SUCCESS);
  PSECURITY_DESCRIPTOR readOnly = nullptr;
  ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly, nullptr);
  EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
  LocalFree(readOnly);
  RegCloseKey(key);
}

ReadOnlyKey::~ReadOnlyKey() {
  HKEY key;
  EXPECT_EQ(RegOpenKeyExA(m_hRoot, m_keyPath.c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, m_previous.data()), ERROR_SUCCESS);
  RegCloseKey(key);
}

}  // namespace testreg
