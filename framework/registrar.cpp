#include "framework/registrar.h"

namespace {

HRESULT Expand(const char* text, const std::vector<RegistryReplacement>& replacements, std::string& expanded) {
  const std::optional<std::string> result = ExpandRegistryText(text, replacements);
  if (!result) return E_INVALIDARG;
  expanded = *result;
  return S_OK;
}

HRESULT WriteEntry(const RegistryEntry& entry, const std::string& key, const std::vector<RegistryReplacement>& replacements) {
  if (entry.flags & kKeyReplacedOnRegistration) {
    const LSTATUS deleted = RegDeleteTreeA(entry.root, key.c_str());
    if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) return HRESULT_FROM_WIN32(deleted);
  }
  HKEY opened = nullptr;
  LSTATUS status = RegCreateKeyExA(entry.root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                   nullptr, &opened, nullptr);
  if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  HRESULT hr = S_OK;
  if (entry.valueName) {
    std::string name, data;
    hr = Expand(entry.valueName, replacements, name);
    if (SUCCEEDED(hr)) hr = Expand(entry.data, replacements, data);
    if (SUCCEEDED(hr)) {
      status = RegSetValueExA(opened, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(data.c_str()), static_cast<DWORD>(data.size() + 1));
      if (status != ERROR_SUCCESS) hr = HRESULT_FROM_WIN32(status);
    }
  }
  RegCloseKey(opened);
  return hr;
}

}  // namespace

HRESULT UpdateRegistryFromTable(const RegistryEntry* pEntries, size_t count,
                                const std::vector<RegistryReplacement>& replacements, bool bRegister) {
  for (size_t i = 0; i < count; ++i) {
    const RegistryEntry& entry = pEntries[i];
    std::string key;
    HRESULT hr = Expand(entry.key, replacements, key);
    if (FAILED(hr)) return hr;
    if (bRegister) {
      hr = WriteEntry(entry, key, replacements);
      if (FAILED(hr)) return hr;
    } else if (!(entry.flags & kKeyKeptOnRemoval)) {
      // A key below one already deleted is gone with it.
      const LSTATUS deleted = RegDeleteTreeA(entry.root, key.c_str());
      if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) return HRESULT_FROM_WIN32(deleted);
    }
  }
  return S_OK;
}
