#include "band/band_registration.h"

#include <objbase.h>

#include <string>

#include "quillbar_idl.h"
#include "framework/com_module.h"
#include "framework/registrar.h"

namespace {

constexpr char kToolbarKey[] = "Software\\Microsoft\\Internet Explorer\\Toolbar";

const RegistryEntry kBandEntries[] = {
    {HKEY_CLASSES_ROOT, "quillbar.quillbarBand.1", "", "quillbarBand", 0},
    {HKEY_CLASSES_ROOT, "quillbar.quillbarBand.1\\CLSID", "", "%CLSID%", 0},
    {HKEY_CLASSES_ROOT, "quillbar.quillbarBand", "", "quillbarBand", 0},
    {HKEY_CLASSES_ROOT, "quillbar.quillbarBand\\CLSID", "", "%CLSID%", 0},
    {HKEY_CLASSES_ROOT, "quillbar.quillbarBand\\CurVer", "", "quillbar.quillbarBand.1", 0},
    {HKEY_CLASSES_ROOT, "CLSID", nullptr, nullptr, kKeyKeptOnRemoval},
    {HKEY_CLASSES_ROOT, "CLSID\\%CLSID%", "", "Quillmask", kKeyReplacedOnRegistration},
    {HKEY_CLASSES_ROOT, "CLSID\\%CLSID%\\ProgID", "", "quillbar.quillbarBand.1", 0},
    {HKEY_CLASSES_ROOT, "CLSID\\%CLSID%\\VersionIndependentProgID", "", "quillbar.quillbarBand", 0},
    {HKEY_CLASSES_ROOT, "CLSID\\%CLSID%\\InprocServer32", "", "%MODULE%", 0},
    {HKEY_CLASSES_ROOT, "CLSID\\%CLSID%\\InprocServer32", "ThreadingModel", "Apartment", 0},
    {HKEY_CLASSES_ROOT, "CLSID\\%CLSID%\\TypeLib", "", "%LIBID%", 0},
    {HKEY_LOCAL_MACHINE, "Software", nullptr, nullptr, kKeyKeptOnRemoval},
    {HKEY_LOCAL_MACHINE, "Software\\Microsoft", nullptr, nullptr, kKeyKeptOnRemoval},
    {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Internet Explorer", nullptr, nullptr, kKeyKeptOnRemoval},
    {HKEY_LOCAL_MACHINE, kToolbarKey, "%CLSID%", "Quillmask", kKeyKeptOnRemoval},
};

// "{...}" of `guid` in the ANSI code page; empty when it cannot be made.
std::string GuidText(REFGUID guid) {
  wchar_t wide[40] = {};
  if (!StringFromGUID2(guid, wide, 40)) return std::string();
  char text[40] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
  return text;
}

}  // namespace

HRESULT UpdateBandRegistry(bool bRegister) {
  char module[MAX_PATH];
  const HRESULT hr = CComModule::GetModulePath(_Module.GetModuleInstance(), module);
  if (FAILED(hr)) return hr;
  return UpdateRegistryFromTable(kBandEntries, sizeof(kBandEntries) / sizeof(kBandEntries[0]),
                                 {{"MODULE", module},
                                  {"CLSID", GuidText(CLSID_quillbarBand)},
                                  {"LIBID", GuidText(LIBID_quillbarLib)}},
                                 bRegister);
}

void RemoveToolbarValue() {
  HKEY toolbars = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kToolbarKey, 0, KEY_SET_VALUE, &toolbars) != ERROR_SUCCESS) return;
  RegDeleteValueA(toolbars, GuidText(CLSID_quillbarBand).c_str());
  RegCloseKey(toolbars);
}
