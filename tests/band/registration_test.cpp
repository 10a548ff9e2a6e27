// quillbar.dll registered and unregistered by the system's regsvr32, as an installer does, and
// what Wine's registry holds afterwards.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>

#include "host/server_registration.h"
#include "quillbar_idl.h"
#include "tests/support/registry.h"

namespace {

constexpr char kToolbarKey[] = "Software\\Microsoft\\Internet Explorer\\Toolbar";

bool TypeLibRegistered() {
  ITypeLib* typeLib = nullptr;
  if (FAILED(LoadRegTypeLib(LIBID_quillbarLib, 1, 0, LOCALE_NEUTRAL, &typeLib))) return false;
  BSTR name = nullptr;
  const bool named = SUCCEEDED(typeLib->GetDocumentation(-1, &name, nullptr, nullptr, nullptr)) && name &&
                     std::wstring(name) == L"quillbarLib";
  SysFreeString(name);
  ITypeInfo* band = nullptr;
  const bool describesBand = SUCCEEDED(typeLib->GetTypeInfoOfGuid(CLSID_quillbarBand, &band));
  if (band) band->Release();
  typeLib->Release();
  return named && describesBand;
}

class RegistrationTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitialize(nullptr)); }
  void TearDown() override { CoUninitialize(); }

  const std::string m_dll = PathBesideProgram("quillbar.dll");
  const std::string m_clsid = testreg::GuidText(CLSID_quillbarBand);
  const std::string m_classKey = "CLSID\\" + m_clsid;
};

TEST_F(RegistrationTest, RegistersTheClassTheProgIdsTheToolbarAndTheTypeLibrary) {
  testreg::SetString(HKEY_CLASSES_ROOT, (m_classKey + "\\Stale").c_str(), "", "from an older version");
  ASSERT_EQ(RegisterServer(m_dll), S_OK);

  const struct {
    HKEY root;
    std::string key;
    const char* name;
    std::string data;
  } expected[] = {
      {HKEY_CLASSES_ROOT, "quillbar.quillbarBand.1", "", "quillbarBand"},
      {HKEY_CLASSES_ROOT, "quillbar.quillbarBand.1\\CLSID", "", m_clsid},
      {HKEY_CLASSES_ROOT, "quillbar.quillbarBand", "", "quillbarBand"},
      {HKEY_CLASSES_ROOT, "quillbar.quillbarBand\\CLSID", "", m_clsid},
      {HKEY_CLASSES_ROOT, "quillbar.quillbarBand\\CurVer", "", "quillbar.quillbarBand.1"},
      {HKEY_CLASSES_ROOT, m_classKey, "", "Quillmask"},
      {HKEY_CLASSES_ROOT, m_classKey + "\\ProgID", "", "quillbar.quillbarBand.1"},
      {HKEY_CLASSES_ROOT, m_classKey + "\\VersionIndependentProgID", "", "quillbar.quillbarBand"},
      {HKEY_CLASSES_ROOT, m_classKey + "\\InprocServer32", "", m_dll},
      {HKEY_CLASSES_ROOT, m_classKey + "\\InprocServer32", "ThreadingModel", "Apartment"},
      {HKEY_CLASSES_ROOT, m_classKey + "\\TypeLib", "", testreg::GuidText(LIBID_quillbarLib)},
      {HKEY_LOCAL_MACHINE, kToolbarKey, m_clsid.c_str(), "Quillmask"},
  };
  for (const auto& value : expected) {
    SCOPED_TRACE(value.key + " " + value.name);
    const std::optional<testreg::RawValue> raw = testreg::GetRaw(value.root, value.key.c_str(), value.name);
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(testreg::GetString(value.root, value.key.c_str(), value.name), value.data);
  }
  EXPECT_FALSE(testreg::KeyExists(HKEY_CLASSES_ROOT, (m_classKey + "\\Stale").c_str())) << "the class key is replaced";
  EXPECT_TRUE(TypeLibRegistered());

  CLSID fromProgId = {};
  EXPECT_EQ(CLSIDFromProgID(L"quillbar.quillbarBand", &fromProgId), S_OK);
  EXPECT_TRUE(IsEqualCLSID(fromProgId, CLSID_quillbarBand));
}

TEST_F(RegistrationTest, UnregisteringRemovesTheBandAndKeepsTheSharedKeys) {
  for (bool toolbarValueGone : {false, true}) {
    SCOPED_TRACE(toolbarValueGone ? "toolbar value already gone" : "all registered");
    ASSERT_EQ(RegisterServer(m_dll), S_OK);
    if (toolbarValueGone) testreg::DeleteValue(HKEY_LOCAL_MACHINE, kToolbarKey, m_clsid.c_str());
    ASSERT_EQ(UnregisterServer(m_dll), S_OK);

    EXPECT_FALSE(testreg::KeyExists(HKEY_CLASSES_ROOT, m_classKey.c_str()));
    EXPECT_FALSE(testreg::KeyExists(HKEY_CLASSES_ROOT, "quillbar.quillbarBand.1"));
    EXPECT_FALSE(testreg::KeyExists(HKEY_CLASSES_ROOT, "quillbar.quillbarBand"));
    EXPECT_FALSE(testreg::GetRaw(HKEY_LOCAL_MACHINE, kToolbarKey, m_clsid.c_str()));
    EXPECT_FALSE(TypeLibRegistered());
    EXPECT_TRUE(testreg::KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{00000300-0000-0000-C000-000000000046}"))
        << "other classes stay";
    EXPECT_TRUE(testreg::KeyExists(HKEY_LOCAL_MACHINE, kToolbarKey));
  }
  ASSERT_EQ(RegisterServer(m_dll), S_OK);  // the other tests find the band registered
}

}  // namespace
