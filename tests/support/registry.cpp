#include "tests/support/registry.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <sddl.h>

#include <cstring>
#include <cwchar>

namespace testreg {

void DeleteKey(HKEY root, const char* keyPath) {
  const LONG status = RegDeleteTreeA(root, keyPath);
  ASSERT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << keyPath << ": " << status;
  RegDeleteKeyA(root, keyPath);
}

void DeleteValue(HKEY root, const char* keyPath, const char* name) {
  HKEY key;
  if (RegOpenKeyExA(root, keyPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, name);
  RegCloseKey(key);
}

bool KeyExists(HKEY root, const char* keyPath) {
  HKEY key;
  if (RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void SetRaw(HKEY root, const char* keyPath, const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(root, keyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  RegCloseKey(key);
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
  std::optional<RawValue> result;
  if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
    value.data.resize(size);
    if (RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &size) == ERROR_SUCCESS) {
      value.data.resize(size);
      result = value;
    }
  }
  RegCloseKey(key);
  return result;
}

std::optional<DWORD> GetDword(HKEY root, const char* keyPath, const char* name) {
  const std::optional<RawValue> raw = GetRaw(root, keyPath, name);
  if (!raw || raw->type != REG_DWORD || raw->data.size() != sizeof(DWORD)) return std::nullopt;
  DWORD value;
  memcpy(&value, raw->data.data(), sizeof(value));
  return value;
}

std::optional<std::string> GetString(HKEY root, const char* keyPath, const char* name) {
  const std::optional<RawValue> raw = GetRaw(root, keyPath, name);
  if (!raw || raw->type != REG_SZ) return std::nullopt;
  const char* text = reinterpret_cast<const char*>(raw->data.data());
  return std::string(text, strnlen(text, raw->data.size()));
}

ReadOnlyKey::ReadOnlyKey(HKEY root, const char* keyPath) : m_hRoot(root), m_keyPath(keyPath) {
  HKEY key;
  EXPECT_EQ(RegCreateKeyExA(root, keyPath, 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  DWORD size = 0;
  RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
  m_previous.resize(size);
  EXPECT_EQ(RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, m_previous.data(), &size), ERROR_SUCCESS);
  PSECURITY_DESCRIPTOR readOnly = nullptr;
  EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly,
                                                                   nullptr));
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

std::string GuidText(REFGUID guid) {
  wchar_t wide[40] = {};
  StringFromGUID2(guid, wide, 40);
  return std::string(wide, wide + wcslen(wide));  // plain ASCII
}

}  // namespace testreg
