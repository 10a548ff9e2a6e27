// The host's own COM objects, as a band uses them, and the lookup of the band's class.
#include "host/band_host.h"

#include <gtest/gtest.h>
#include <shlguid.h>

#include "tests/host/band_registration.h"
#include "tests/support/registry.h"

namespace {

constexpr char kToolbarListKey[] = "Software\\Microsoft\\Internet Explorer\\Toolbar";

// A VARIANT that owns its BSTR.
class BstrVariant {
 public:
  explicit BstrVariant(const wchar_t* text) {
    VariantInit(&m_value);
    m_value.vt = VT_BSTR;
    m_value.bstrVal = SysAllocString(text);
  }
  ~BstrVariant() { VariantClear(&m_value); }
  VARIANT* get() { return &m_value; }

 private:
  VARIANT m_value;
};

TEST(HostBrowserTest, Navigate2RecordsTheAddressAndTellsTheHost) {
  std::vector<std::string> shown;
  const CComPtr<HostBrowser> browser = HostBrowser::Create([&shown](const std::string& address) {
    shown.push_back(address);
  });
  ASSERT_TRUE(browser);

  BstrVariant address(L"http://help.example/quillmaskhelp.asp");
  EXPECT_EQ(browser->Navigate2(address.get(), nullptr, nullptr, nullptr, nullptr), S_OK);
  VARIANT number;
  VariantInit(&number);
  number.vt = VT_I4;
  number.lVal = 7;
  EXPECT_EQ(browser->Navigate2(&number, nullptr, nullptr, nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(browser->Navigate2(nullptr, nullptr, nullptr, nullptr, nullptr), E_INVALIDARG);

  const std::vector<std::string> expected = {"http://help.example/quillmaskhelp.asp"};
  EXPECT_EQ(browser->Navigations(), expected);
  EXPECT_EQ(shown, expected);
}

TEST(HostBrowserTest, AnswersForEveryBrowserInterfaceWithOneObject) {
  const CComPtr<HostBrowser> browser = HostBrowser::Create();
  ASSERT_TRUE(browser);
  CComPtr<IUnknown> identity;
  ASSERT_EQ(browser.QueryInterface(&identity), S_OK);
  for (REFIID iid : {IID_IDispatch, IID_IWebBrowser, IID_IWebBrowserApp, IID_IWebBrowser2}) {
    CComPtr<IUnknown> asked;
    ASSERT_EQ(browser->QueryInterface(iid, reinterpret_cast<void**>(&asked)), S_OK);
    CComPtr<IUnknown> askedIdentity;
    ASSERT_EQ(asked.QueryInterface(&askedIdentity), S_OK);
    EXPECT_EQ(askedIdentity.p, identity.p);
  }
  void* other = &identity;
  EXPECT_EQ(browser->QueryInterface(IID_IOleWindow, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
}

TEST(BandSiteTest, GivesTheBandItsWindowTheBrowserAndAnEarForFocus) {
  const CComPtr<HostBrowser> browser = HostBrowser::Create();
  const HWND window = GetDesktopWindow();
  const CComPtr<BandSite> site = BandSite::Create(window, browser);
  ASSERT_TRUE(site);

  CComPtr<IOleWindow> oleWindow;
  ASSERT_EQ(site.QueryInterface(&oleWindow), S_OK);
  HWND got = nullptr;
  EXPECT_EQ(oleWindow->GetWindow(&got), S_OK);
  EXPECT_EQ(got, window);

  CComPtr<IServiceProvider> services;
  ASSERT_EQ(site.QueryInterface(&services), S_OK);
  CComPtr<IWebBrowser2> served;
  ASSERT_EQ(services->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, reinterpret_cast<void**>(&served)), S_OK);
  EXPECT_EQ(served.p, static_cast<IWebBrowser2*>(browser.p));
  CComPtr<IUnknown> unknownService;
  EXPECT_EQ(services->QueryService(IID_IOleWindow, IID_IUnknown, reinterpret_cast<void**>(&unknownService)),
            E_NOINTERFACE);
  EXPECT_FALSE(unknownService);

  CComPtr<IInputObjectSite> focusSite;
  ASSERT_EQ(site.QueryInterface(&focusSite), S_OK);
  EXPECT_EQ(focusSite->OnFocusChangeIS(nullptr, TRUE), S_OK);
  EXPECT_EQ(focusSite->OnFocusChangeIS(nullptr, FALSE), S_OK);
  EXPECT_EQ(site->FocusChanges(), (std::vector<BOOL>{TRUE, FALSE}));

  const CComPtr<BandSite> siteWithoutBrowser = BandSite::Create(window, nullptr);
  ASSERT_TRUE(siteWithoutBrowser);
  CComPtr<IWebBrowser2> none;
  EXPECT_EQ(siteWithoutBrowser->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, reinterpret_cast<void**>(&none)),
            E_NOINTERFACE);
  EXPECT_FALSE(none);
}

std::string ClsidText(const CLSID& clsid) {
  wchar_t wide[64] = {};
  StringFromGUID2(clsid, wide, 64);
  char text[64] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
  return text;
}

TEST(FindBandClsidTest, FindsTheClassThroughTheProgIdOrElseTheToolbarList) {
  CLSID byProgId;
  ASSERT_EQ(FindBandClsid(&byProgId), S_OK);
  EXPECT_EQ(testreg::GetString(HKEY_LOCAL_MACHINE, kToolbarListKey, ClsidText(byProgId).c_str()), "Quillmask");

  // Without the ProgID, another toolbar's entry is passed over.
  testreg::DeleteKey(HKEY_CLASSES_ROOT, "quillbar.quillbarBand");
  constexpr char kOtherToolbar[] = "{0E5CBF21-D15F-11D0-8301-00AA005B4383}";
  testreg::SetString(HKEY_LOCAL_MACHINE, kToolbarListKey, kOtherToolbar, "Another toolbar");
  CLSID byToolbarList = {};
  EXPECT_EQ(FindBandClsid(&byToolbarList), S_OK);
  EXPECT_EQ(byToolbarList, byProgId);

  testreg::DeleteValue(HKEY_LOCAL_MACHINE, kToolbarListKey, ClsidText(byProgId).c_str());
  EXPECT_EQ(FindBandClsid(&byToolbarList), REGDB_E_CLASSNOTREG);

  testreg::DeleteValue(HKEY_LOCAL_MACHINE, kToolbarListKey, kOtherToolbar);
  ASSERT_HRESULT_SUCCEEDED(RegisterBandServer());
}

}  // namespace
