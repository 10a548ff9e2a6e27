// quillbar.dll as COM sees it, loaded into the test process: its class object and the rule that keeps
// it loaded; and its registration by the system's regsvr32, as an installer does it.
#include <windows.h>
#include <oleauto.h>
#include <shlobj.h>
#include <gtest/gtest.h>
#include <tuple>
#include "framework/com_ptr.h"
#include "host/server_registration.h"
#include "quillbar_idl.h"
#include "tests/support/registry.h"

constexpr char kToolbarKey[] = "Software\\Microsoft\\Internet Explorer\\Toolbar";

class BandServerTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_module && SUCCEEDED(CoInitialize(nullptr))); }
  void TearDown() override { CoUninitialize(), FreeLibrary(m_module); }
  void* Export(const char* name) const { return reinterpret_cast<void*>(GetProcAddress(m_module, name)); }
  HRESULT CanUnloadNow() const { return reinterpret_cast<HRESULT(WINAPI*)()>(Export("DllCanUnloadNow"))(); }
  HRESULT GetClassObject(REFCLSID clsid, void** ppv) const {
    return reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(Export("DllGetClassObject"))(clsid, IID_IClassFactory, ppv);
  }
  CComPtr<IClassFactory> Factory() const {
    CComPtr<IClassFactory> factory;
    EXPECT_EQ(GetClassObject(CLSID_quillbarBand, reinterpret_cast<void**>(&factory)), S_OK);
    return factory;
  }
  // The type library as COM finds it through the registry, describing the band class.
  static bool TypeLibRegistered() {
    CComPtr<ITypeLib> typeLib;
    CComPtr<ITypeInfo> band;
    return SUCCEEDED(LoadRegTypeLib(LIBID_quillbarLib, 1, 0, LOCALE_NEUTRAL, &typeLib)) &&
           SUCCEEDED(typeLib->GetTypeInfoOfGuid(CLSID_quillbarBand, &band));
  }

  const std::string m_dll = PathBesideProgram("quillbar.dll");
  const HMODULE m_module = LoadLibraryA(m_dll.c_str());
  const std::string m_clsid = [] {  // as the registry names keys and values after it
    wchar_t text[40] = {};
    return std::string(text, text + StringFromGUID2(CLSID_quillbarBand, text, 40) - 1);
  }();
  const std::string m_classKey = "CLSID\\" + m_clsid;
};

TEST_F(BandServerTest, ServesOneCachedClassObjectAndStaysLoadedWhileAnythingOfItLives) {
  EXPECT_EQ(CanUnloadNow(), S_OK);
  CComPtr<IClassFactory> factory = Factory();
  EXPECT_EQ(Factory().p, factory.p) << "one cached class object";
  EXPECT_EQ(CanUnloadNow(), S_FALSE) << "class object held";
  CComPtr<IDeskBand> band;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDeskBand, reinterpret_cast<void**>(&band)), S_OK);
  factory.Release();
  EXPECT_EQ(CanUnloadNow(), S_FALSE) << "band alive";
  band.Release();
  EXPECT_EQ(CanUnloadNow(), S_OK);
  for (BOOL lock : {TRUE, FALSE}) {
    EXPECT_EQ(Factory()->LockServer(lock), S_OK);
    EXPECT_EQ(CanUnloadNow(), lock ? S_FALSE : S_OK) << "locked: " << lock;
  }
}

// A class key left by an older version is replaced; unregistering keeps the keys others share, also
// when the toolbar value is already gone.
TEST_F(BandServerTest, RegistersTheBandAndUnregistersItKeepingTheSharedKeys) {
  testreg::SetString(HKEY_CLASSES_ROOT, (m_classKey + "\\Stale").c_str(), "", "from an older version");
  ASSERT_EQ(RegisterServer(m_dll), S_OK);
  const std::tuple<std::string, const char*, std::string> values[] = {
      {"quillbar.quillbarBand\\CurVer", "", "quillbar.quillbarBand.1"}, {"quillbar.quillbarBand.1\\CLSID", "", m_clsid},
      {m_classKey + "\\InprocServer32", "", m_dll}, {m_classKey + "\\InprocServer32", "ThreadingModel", "Apartment"}};
  for (const auto& [key, name, data] : values) EXPECT_EQ(testreg::GetString(HKEY_CLASSES_ROOT, key.c_str(), name), data) << key;
  EXPECT_EQ(testreg::GetString(HKEY_LOCAL_MACHINE, kToolbarKey, m_clsid.c_str()), "Quillmask");
  EXPECT_FALSE(testreg::KeyExists(HKEY_CLASSES_ROOT, (m_classKey + "\\Stale").c_str())) << "the class key is replaced";
  EXPECT_TRUE(TypeLibRegistered());

  for (bool toolbarValueGone : {false, true}) {
    SCOPED_TRACE(toolbarValueGone ? "toolbar value already gone" : "all registered");
    ASSERT_EQ(RegisterServer(m_dll), S_OK);
    if (toolbarValueGone) testreg::DeleteValue(HKEY_LOCAL_MACHINE, kToolbarKey, m_clsid.c_str());
    ASSERT_EQ(UnregisterServer(m_dll), S_OK);
    for (const char* key : {m_classKey.c_str(), "quillbar.quillbarBand.1", "quillbar.quillbarBand"}) {
      EXPECT_FALSE(testreg::KeyExists(HKEY_CLASSES_ROOT, key)) << key;
    }
    EXPECT_FALSE(testreg::GetString(HKEY_LOCAL_MACHINE, kToolbarKey, m_clsid.c_str()));
    EXPECT_FALSE(TypeLibRegistered());
    EXPECT_TRUE(testreg::KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{00000300-0000-0000-C000-000000000046}"));
    EXPECT_TRUE(testreg::KeyExists(HKEY_LOCAL_MACHINE, kToolbarKey));
  }
}
