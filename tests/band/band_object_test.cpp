// The band object from quillbar.dll given sites the way the browser gives them: its sizes, its
// window, showing and hiding, focus, and what it does with sites that lack something.
#include <windows.h>
#include <exdisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/com_object.h"
#include "framework/wnd.h"
#include "tests/band/quillbar_dll.h"
#include "tests/support/gui_objects.h"
#include "tests/support/install_folder.h"

CComModule _Module;  // the test's own COM objects (the sites) count on it

namespace {

// A site that has a window but offers no services.
class WindowSite : public IInputObjectSite, public IOleWindow, public CComObjectRootEx {
 public:
  BEGIN_COM_MAP(WindowSite)
    COM_INTERFACE_ENTRY(IInputObjectSite)
    COM_INTERFACE_ENTRY(IOleWindow)
  END_COM_MAP()

  STDMETHOD(OnFocusChangeIS)(IUnknown* punkObj, BOOL fSetFocus) override {
    focusChanges.push_back(fSetFocus);
    focusObject = punkObj;
    return S_OK;
  }
  STDMETHOD(GetWindow)(HWND* phwnd) override {
    *phwnd = window;
    return S_OK;
  }
  STDMETHOD(ContextSensitiveHelp)(BOOL) override { return E_NOTIMPL; }
  ULONG References() const { return m_dwRef; }

  HWND window = nullptr;
  std::vector<BOOL> focusChanges;
  IUnknown* focusObject = nullptr;  // not held: compared only
};

// A band site as the browser's: a window and the browser among its services (here it has no
// browser to give, and records what was asked).
class BrowserSite : public WindowSite, public IServiceProvider {
 public:
  BEGIN_COM_MAP(BrowserSite)
    COM_INTERFACE_ENTRY(IInputObjectSite)
    COM_INTERFACE_ENTRY(IOleWindow)
    COM_INTERFACE_ENTRY(IServiceProvider)
  END_COM_MAP()

  STDMETHOD(QueryService)(REFGUID service, REFIID iid, void** ppv) override {
    askedForBrowser = IsEqualGUID(service, SID_SWebBrowserApp) && IsEqualIID(iid, IID_IWebBrowser2);
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  bool askedForBrowser = false;
};

// Whatever the band asks of it fails with an error other than "no such interface".
class BrokenSite final : public IUnknown {
 public:
  STDMETHOD(QueryInterface)(REFIID, void** ppv) override {
    *ppv = nullptr;
    return E_UNEXPECTED;
  }
  STDMETHOD_(ULONG, AddRef)() override { return 2; }
  STDMETHOD_(ULONG, Release)() override { return 1; }
};

template <class Site>
CComPtr<CComObject<Site>> MakeSite(HWND window) {
  CComPtr<CComObject<Site>> site = new CComObject<Site>;
  site->window = window;
  return site;
}

class BandObjectTest : public testing::Test {
 protected:
  void SetUp() override {
    m_folder.WriteList("1.2.3.4:80- US<br />");
    for (CWnd* frame : {&m_frame, &m_otherFrame}) {
      ASSERT_TRUE(frame->CreateEx(0, AfxPlainWindowClass(), "browser", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  {0, 0, 1100, 80}, nullptr, 0));
    }
    m_band = m_dll.CreateBand();
    ASSERT_TRUE(m_band);
    m_withSite = Query<IObjectWithSite>(m_band);
    m_input = Query<IInputObject>(m_band);
  }
  void TearDown() override {
    m_withSite.Release();
    m_input.Release();
    m_band.Release();
    EXPECT_EQ(m_dll.CanUnloadNow(), S_OK) << "every band reference gone";
  }

  HWND BandWindow() {
    HWND window = reinterpret_cast<HWND>(1);
    EXPECT_EQ(m_band->GetWindow(&window), S_OK);
    return window;
  }
  // The browser moves the band's window into its own, where the user sees it.
  HWND PlaceBandWindow() {
    const HWND window = BandWindow();
    SetParent(window, m_frame.m_hWnd);
    MoveWindow(window, 0, 0, 1100, 26, TRUE);
    return window;
  }
  static HWND ComboBoxEx(HWND toolBar) { return FindWindowExA(toolBar, nullptr, "ComboBoxEx32", nullptr); }

  QuillbarDll m_dll;
  InstallFolder m_folder{"band"};
  CWnd m_frame;
  CWnd m_otherFrame;
  CComPtr<IDeskBand> m_band;
  CComPtr<IObjectWithSite> m_withSite;
  CComPtr<IInputObject> m_input;
};

TEST_F(BandObjectTest, BandInfoFillsOnlyTheAskedFields) {
  DESKBANDINFO info = {};
  info.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE | DBIM_MODEFLAGS | DBIM_BKCOLOR;
  wcscpy(info.wszTitle, L"kept");
  info.crBkgnd = RGB(1, 2, 3);
  ASSERT_EQ(m_band->GetBandInfo(7, DBIF_VIEWMODE_NORMAL, &info), S_OK);
  EXPECT_EQ(info.ptMinSize.x, 700);
  EXPECT_EQ(info.ptMinSize.y, 24);
  EXPECT_EQ(info.ptMaxSize.x, -1);
  EXPECT_EQ(info.ptMaxSize.y, 25);
  EXPECT_EQ(info.ptIntegral.x, 1);
  EXPECT_EQ(info.ptIntegral.y, 1);
  EXPECT_EQ(info.ptActual.x, 200);
  EXPECT_EQ(info.ptActual.y, 25);
  EXPECT_EQ(info.dwModeFlags, 0x148u);
  EXPECT_STREQ(info.wszTitle, L"kept");
  EXPECT_EQ(info.crBkgnd, RGB(1, 2, 3));
  EXPECT_EQ(info.dwMask, static_cast<DWORD>(DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE |
                                            DBIM_MODEFLAGS));

  DESKBANDINFO actualOnly;
  memset(&actualOnly, 0x55, sizeof(actualOnly));
  actualOnly.dwMask = DBIM_ACTUAL;
  ASSERT_EQ(m_band->GetBandInfo(7, DBIF_VIEWMODE_NORMAL, &actualOnly), S_OK);
  EXPECT_EQ(actualOnly.ptActual.x, 200);
  EXPECT_EQ(actualOnly.ptMinSize.x, 0x55555555);
  EXPECT_EQ(actualOnly.dwModeFlags, 0x55555555u);

  EXPECT_EQ(m_band->GetBandInfo(7, DBIF_VIEWMODE_NORMAL, nullptr), E_INVALIDARG);
}

TEST_F(BandObjectTest, SiteGivesTheBandItsToolBarWhichComesAndGoesWithShowAndClose) {
  auto site = MakeSite<BrowserSite>(m_frame.m_hWnd);
  EXPECT_EQ(BandWindow(), nullptr) << "no window before a site";
  ASSERT_EQ(m_withSite->SetSite(static_cast<IInputObjectSite*>(site)), S_OK);
  EXPECT_TRUE(site->askedForBrowser);

  const HWND toolBar = BandWindow();
  char className[64] = {};
  GetClassNameA(toolBar, className, sizeof(className));
  EXPECT_STREQ(className, "ToolbarWindow32") << "the toolbar, not its host window";
  const HWND host = GetParent(toolBar);
  EXPECT_EQ(GetParent(host), m_frame.m_hWnd);
  EXPECT_FALSE(GetWindowLongPtrA(host, GWL_STYLE) & WS_VISIBLE) << "the host window is never shown";

  CComPtr<IInputObjectSite> got;
  EXPECT_EQ(m_withSite->GetSite(IID_IInputObjectSite, reinterpret_cast<void**>(&got)), S_OK);
  EXPECT_EQ(got.p, static_cast<IInputObjectSite*>(site));
  got.Release();

  PlaceBandWindow();
  ASSERT_EQ(m_band->CloseDW(0), S_OK);
  EXPECT_FALSE(IsWindowVisible(toolBar));
  const std::string items = std::to_string(SendMessageA(ComboBoxEx(toolBar), CB_GETCOUNT, 0, 0));
  ASSERT_EQ(m_band->ShowDW(TRUE), S_OK);
  EXPECT_TRUE(IsWindowVisible(toolBar));
  EXPECT_EQ(std::to_string(SendMessageA(ComboBoxEx(toolBar), CB_GETCOUNT, 0, 0)), items) << "state kept";
  ASSERT_EQ(m_band->ShowDW(FALSE), S_OK);
  EXPECT_FALSE(IsWindowVisible(toolBar));

  // Without a site the band keeps its windows; GetSite then has nothing to give.
  ASSERT_EQ(m_withSite->SetSite(nullptr), S_OK);
  void* none = &none;
  EXPECT_EQ(m_withSite->GetSite(IID_IUnknown, &none), E_FAIL);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(BandWindow(), toolBar);
  EXPECT_EQ(site->References(), 1u) << "the band let go of the site";
}

TEST_F(BandObjectTest, AFurtherSiteTakesTheWindowsAlong) {
  auto first = MakeSite<BrowserSite>(m_frame.m_hWnd);
  auto second = MakeSite<BrowserSite>(m_otherFrame.m_hWnd);
  ASSERT_EQ(m_withSite->SetSite(static_cast<IInputObjectSite*>(first)), S_OK);
  const HWND toolBar = BandWindow();
  ASSERT_EQ(m_withSite->SetSite(static_cast<IInputObjectSite*>(second)), S_OK);
  EXPECT_EQ(BandWindow(), toolBar) << "not made twice";
  EXPECT_EQ(GetParent(GetParent(toolBar)), m_otherFrame.m_hWnd);
  EXPECT_EQ(first->References(), 1u);
  m_withSite->SetSite(nullptr);
  EXPECT_EQ(second->References(), 1u);
}

TEST_F(BandObjectTest, SitesLackingSomethingGetNoWindowAndNoLeak) {
  // Not a band site at all: accepted, nothing shown.
  CComPtr<IUnknown> plain = Query<IUnknown>(m_band);
  EXPECT_EQ(m_withSite->SetSite(plain), S_OK);
  EXPECT_EQ(BandWindow(), nullptr);

  auto windowless = MakeSite<BrowserSite>(nullptr);
  EXPECT_EQ(m_withSite->SetSite(static_cast<IInputObjectSite*>(windowless)), E_FAIL);
  EXPECT_EQ(BandWindow(), nullptr);

  auto withoutServices = MakeSite<WindowSite>(m_frame.m_hWnd);
  EXPECT_EQ(m_withSite->SetSite(static_cast<IInputObjectSite*>(withoutServices)), E_NOINTERFACE);
  EXPECT_EQ(BandWindow(), nullptr);
  EXPECT_EQ(withoutServices->References(), 1u);

  BrokenSite broken;
  EXPECT_EQ(m_withSite->SetSite(&broken), E_UNEXPECTED);
  EXPECT_EQ(BandWindow(), nullptr);

  m_withSite->SetSite(nullptr);
  EXPECT_EQ(windowless->References(), 1u);
}

TEST_F(BandObjectTest, FocusGoesToTheProxyBoxAndEditingTellsTheSite) {
  auto site = MakeSite<BrowserSite>(m_frame.m_hWnd);
  ASSERT_EQ(m_withSite->SetSite(static_cast<IInputObjectSite*>(site)), S_OK);
  const HWND toolBar = PlaceBandWindow();
  const HWND comboEx = ComboBoxEx(toolBar);
  const HWND edit = reinterpret_cast<HWND>(SendMessageA(comboEx, CBEM_GETEDITCONTROL, 0, 0));

  SetFocus(m_frame.m_hWnd);
  EXPECT_EQ(m_input->HasFocusIO(), S_FALSE);
  EXPECT_EQ(m_input->UIActivateIO(FALSE, nullptr), S_OK);
  EXPECT_EQ(GetFocus(), m_frame.m_hWnd) << "deactivation moves nothing";
  EXPECT_EQ(m_input->UIActivateIO(TRUE, nullptr), S_OK);
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(m_input->HasFocusIO(), S_OK);

  const HWND combo = reinterpret_cast<HWND>(SendMessageA(comboEx, CBEM_GETCOMBOCONTROL, 0, 0));
  SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
  EXPECT_EQ(m_input->HasFocusIO(), S_OK) << "list open";
  SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);

  // The user starts to edit the box's text: the site hears of it, from the band's own IUnknown.
  site->focusChanges.clear();
  NMHDR begin = {comboEx, 103, static_cast<UINT>(CBEN_BEGINEDIT)};
  SendMessageA(toolBar, WM_NOTIFY, 103, reinterpret_cast<LPARAM>(&begin));
  EXPECT_EQ(site->focusChanges, std::vector<BOOL>{TRUE});
  EXPECT_EQ(site->focusObject, Query<IUnknown>(m_band).p);

  MSG tab = {edit, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
  EXPECT_EQ(m_input->TranslateAcceleratorIO(&tab), S_FALSE);
  MSG home = {edit, WM_KEYDOWN, VK_HOME, 0, 0, {0, 0}};
  EXPECT_EQ(m_input->TranslateAcceleratorIO(&home), S_OK);
  m_withSite->SetSite(nullptr);
}

// Each band is sited, shown and released while still sited, as a browser window that closes.
TEST_F(BandObjectTest, BandsComingAndGoingLeaveNoWindowsGdiObjectsOrReferences) {
  auto site = MakeSite<BrowserSite>(m_frame.m_hWnd);
  const auto cycle = [&] {
    CComPtr<IDeskBand> band = m_dll.CreateBand();
    ASSERT_TRUE(band);
    ASSERT_EQ(Query<IObjectWithSite>(band)->SetSite(static_cast<IInputObjectSite*>(site)), S_OK);
    ASSERT_EQ(band->ShowDW(TRUE), S_OK);
  };
  for (int i = 0; i < 5; ++i) cycle();
  const GuiObjectCounts before = CountGuiObjects();
  for (int i = 0; i < 100; ++i) cycle();
  const GuiObjectCounts after = CountGuiObjects();
  EXPECT_EQ(after.gdi, before.gdi);
  EXPECT_EQ(after.user, before.user);
  EXPECT_EQ(site->References(), 1u);
}

}  // namespace
