// quillbar.dll registered as the installer does and its band hosted as the browser hosts it: clicks, keys
// and answered message boxes go to its real windows; what it changes is read where the system keeps it.
#include <windows.h>
#include <shlguid.h>
#include <gtest/gtest.h>
#include <atomic>
#include <future>
#include <memory>
#include <optional>
#include <thread>
#include "build_config.h"
#include "connection/connection_proxy.h"
#include "host/held_objects.h"
#include "host/server_registration.h"
#include "loopback/listening_socket.h"
#include "tests/support/browser_window.h"
#include "tests/support/held_switch_lock.h"
#include "tests/support/program_run.h"
#include "toolbar/toolbar_texts.h"

// A band's site in `window` (may be none), with services or without (no browser behind them); `broken` answers
// every query with E_UNEXPECTED.
struct Site final : IInputObjectSite, IOleWindow, IServiceProvider {
  explicit Site(HWND window, bool services = true, bool broken = false)
      : window(window), services(services), broken(broken) {}
  STDMETHOD(QueryInterface)(REFIID iid, void** ppv) override {
    *ppv = nullptr;
    if (broken) return E_UNEXPECTED;
    if (iid == IID_IUnknown || iid == IID_IInputObjectSite) *ppv = static_cast<IInputObjectSite*>(this);
    if (iid == IID_IOleWindow) *ppv = static_cast<IOleWindow*>(this);
    if (iid == IID_IServiceProvider && services) *ppv = static_cast<IServiceProvider*>(this);
    return *ppv ? (AddRef(), S_OK) : E_NOINTERFACE;
  }
  STDMETHOD_(ULONG, AddRef)() override { return ++refs; }
  STDMETHOD_(ULONG, Release)() override { return --refs; }  // lives on the test's stack
  STDMETHOD(OnFocusChangeIS)(IUnknown* band, BOOL on) override { return focused.emplace_back(band, on), S_OK; }
  STDMETHOD(GetWindow)(HWND* phwnd) override { return *phwnd = window, S_OK; }
  STDMETHOD(ContextSensitiveHelp)(BOOL) override { return E_NOTIMPL; }
  STDMETHOD(QueryService)(REFGUID, REFIID, void** ppv) override { return *ppv = nullptr, E_NOINTERFACE; }
  const HWND window;
  const bool services, broken;
  ULONG refs = 1;
  std::vector<std::pair<IUnknown*, BOOL>> focused;  // each focus change the band told
};

// Runs `cycle` (given its number) `warmUp` times, for the system to fill its own caches, then `cycles`
// times more, and expects the process to hold as many GDI and USER objects, and handles of each type, as before.
void ExpectNothingLeft(int warmUp, int cycles, const std::function<void(int)>& cycle) {
  for (int i = 0; i < warmUp; ++i) cycle(i);
  const std::string before = HeldObjects();
  EXPECT_EQ(before.find("GDI objects 0,"), std::string::npos) << "GDI objects not counted";
  for (int i = 0; i < cycles; ++i) cycle(i);
  EXPECT_EQ(HeldObjects(), before);
}

class BandInHostTest : public testing::Test, protected BrowserWindow {
 protected:
  void SetUp() override {  // with this build's quillbar.dll registered as the installer does
    ASSERT_EQ(RegisterServer(PathBesideProgram("quillbar.dll")), S_OK);
    ASSERT_TRUE(Start());
    ASSERT_EQ(FindBandClsid(&m_clsid), S_OK);
  }
  void TearDown() override { EXPECT_EQ(m_host.Close(), S_OK), CoUninitialize(); }
  void Open(const std::string& list) {
    m_host.Close();
    m_folder.WriteList(list);
    ASSERT_EQ(m_host.Open(m_frame.m_hWnd, m_clsid), S_OK);
  }
  CComPtr<IDeskBand> NewBand(IObjectWithSite** withSite) {
    CComPtr<IDeskBand> band;
    EXPECT_EQ(CoCreateInstance(m_clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&band)), S_OK);
    EXPECT_EQ(band.QueryInterface(withSite), S_OK);
    return band;
  }
  static HRESULT CanUnloadNow() {
    const FARPROC canUnloadNow = GetProcAddress(GetModuleHandleA("quillbar.dll"), "DllCanUnloadNow");
    return reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(canUnloadNow))();
  }
  static HWND WindowOf(IDeskBand* band) {
    HWND window = reinterpret_cast<HWND>(1);
    EXPECT_EQ(band->GetWindow(&window), S_OK);
    return window;
  }
  static RECT Within(HWND window, HWND parent) {  // where `window` lies in `parent`'s client area
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  InstallFolder m_folder{"host"};
  CLSID m_clsid = {};
};

TEST_F(BandInHostTest, OpensInARowOfItsActualHeightWithItsControls) {
  testreg::SetString(HKEY_CURRENT_USER, kSettingsKey, "LocalIP", "stale");
  Open("1.2.3.4:80- US<br />5.6.7.8:3128- DE<br />(null)<br />");
  const DESKBANDINFO& info = m_host.BandInfo();  // asked for all a band may tell, its background too
  const long answered = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE | DBIM_MODEFLAGS;
  EXPECT_EQ(std::vector<long>({info.ptMinSize.x, info.ptMinSize.y, info.ptActual.y, static_cast<long>(info.dwMask)}),
            std::vector<long>({700, 24, 25, answered}));
  EXPECT_EQ(m_host.DeskBand()->GetBandInfo(7, DBIF_VIEWMODE_NORMAL, nullptr), E_INVALIDARG);
  const HWND toolBar = ToolBar(), label = GetDlgItem(toolBar, IDC_IP_LABEL);
  RECT frame = {}, band = Within(toolBar, m_frame.m_hWnd);
  GetClientRect(m_frame.m_hWnd, &frame);
  EXPECT_EQ(std::vector<long>({band.left, band.top, band.right, band.bottom}),
            std::vector<long>({0, 0, frame.right, 25}));
  EXPECT_EQ(Items(), "1.2.3.4:80- US|5.6.7.8:3128- DE|");
  EXPECT_NE(SendMessageA(ProxyBox(), CBEM_GETIMAGELIST, 0, 0), 0);
  EXPECT_NE(SendMessageA(FindWindowExA(toolBar, nullptr, "Static", nullptr), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  EXPECT_EQ(State(), Off());
  EXPECT_EQ(Stored(kSettingsKey, "LocalIP").find(" [Local IP]") + 11, Stored(kSettingsKey, "LocalIP").size());
  // (The list's 200-pixel width cannot be seen: Wine's ComboBoxEx resets it at every resize.)
  SendMessageA(toolBar, WM_SIZE, SIZE_RESTORED, MAKELPARAM(1100, 30));
  RECT toggle = {}, box = Within(ProxyBox(), toolBar), text = Within(label, toolBar);
  SendMessageA(toolBar, TB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&toggle));
  EXPECT_EQ(std::vector<long>({box.left, text.left, text.top, text.bottom}),
            std::vector<long>({toggle.right + 3, toggle.right + 306, 4, 26}));
}

TEST_F(BandInHostTest, KeysAndFocusReachTheProxyBoxThroughTheHost) {
  Open("1.2.3.4:80- US<br />");
  SetFocus(m_frame.m_hWnd);
  EXPECT_EQ(m_host.HasFocus(), S_FALSE);
  EXPECT_EQ(Key(WM_KEYUP, VK_RETURN), S_FALSE) << "only while the box has the focus";
  EXPECT_EQ(m_host.UIActivate(TRUE), S_OK);
  EXPECT_EQ(GetFocus(), Edit());
  EXPECT_EQ(m_host.HasFocus(), S_OK);
  SendMessageA(Combo(), CB_SHOWDROPDOWN, TRUE, 0);
  EXPECT_EQ(m_host.HasFocus(), S_OK) << "list open";
  SendMessageA(Combo(), CB_SHOWDROPDOWN, FALSE, 0);
  for (const char* typed : {"9.9.9.9:8080- typed", "", "9.9.9.9:8080- typed"}) {
    SetWindowTextA(Edit(), typed);
    EXPECT_EQ(Key(WM_KEYUP, VK_RETURN), S_OK);
    EXPECT_EQ(SendMessageA(Combo(), CB_GETCURSEL, 0, 0), 0) << "the inserted text is selected";
  }
  for (int key : {VK_BACK, VK_DELETE, VK_HOME, VK_END, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_TAB, VK_F5, VK_RETURN}) {
    EXPECT_EQ(Key(WM_KEYDOWN, key), key == VK_TAB || key == VK_F5 || key == VK_RETURN ? S_FALSE : S_OK) << key;
  }
  EXPECT_EQ(Key(WM_LBUTTONDOWN, 0), S_FALSE) << "not a key";
  EXPECT_EQ(Items(), "9.9.9.9:8080- typed||9.9.9.9:8080- typed|1.2.3.4:80- US|");
}

// A proxy that fails its test, or settings that refuse the switch-off, leave everything as it was.
TEST_F(BandInHostTest, EnableTestsAndPutsInThePickedProxyAndDisableTakesItOut) {
  ListeningSocket proxy;
  const std::string live = Loopback(proxy.Port()), dead = Loopback(ClosedLoopbackPort());
  Open(dead + "- There<br />" + live + "- Here<br />");
  const auto toggle = [&] { Click(kToggle); };
  Pick(0, false);
  EXPECT_EQ(Said(toggle), Asking(dead, "There") + Box('!', kProxyUnavailableText));
  EXPECT_EQ(State(), Off());
  Pick(1, false);
  std::string faces;  // as each box shows
  EXPECT_EQ(Said(toggle, false, [&] { faces += Face() + "|"; }), Asking(live, "Here") + Box('i', kProxyConnectedText));
  EXPECT_EQ(faces, "Disable 0|Disable 0|");
  EXPECT_EQ(State(), On(live));
  EXPECT_EQ(Said(toggle, true), Box('!', kProxyNotRemovedText));
  EXPECT_EQ(State(), On(live));
  SetFocus(m_frame.m_hWnd);
  EXPECT_EQ(Said(toggle), "") << "switching off asks nothing";
  EXPECT_EQ(State(), Off());
  EXPECT_TRUE(IsChild(ProxyBox(), GetFocus())) << "the focus back in the box";
  EXPECT_EQ(SendMessageA(ToolBar(), TB_COMMANDTOINDEX, kToggle, 0), 3) << "the toggle keeps its place";
}

// "Enabled" is read at each close of the list: exactly 1 puts the picked proxy in; any but 0 shows one in use.
TEST_F(BandInHostTest, ClosingTheListOnAProxyWhileSwitchedOnPutsItIn) {
  ListeningSocket proxy, other;
  const std::string live = Loopback(proxy.Port()), second = Loopback(other.Port());
  testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "Enabled", 2);
  testreg::SetString(HKEY_CURRENT_USER, kSettingsKey, "ActiveIP", "10.0.0.1:80");
  Open(live + "- Here<br />" + second + "- Other<br />");
  EXPECT_EQ(State(), "Disable 0 | Your IP is: 10.0.0.1:80 | 10.0.0.1:80 2 | direct");
  for (DWORD enabled : {0u, 2u}) {
    testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "Enabled", enabled);
    EXPECT_EQ(Said([&] { Pick(0); }), "") << enabled;
  }
  testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "Enabled", 1);
  EXPECT_EQ(Said([&] { Pick(0); }), Asking(live, "Here") + Box('i', kProxyConnectedText));
  EXPECT_EQ(State(), On(live));
  EXPECT_EQ(SendMessageA(Combo(), CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(Said([&] { Pick(1); }, true), Asking(second, "Other") + Box('!', kProxyNotSetText));
  EXPECT_EQ(State(), On(live));
}

TEST_F(BandInHostTest, UpdateAsksForANewListEachTimeAndHelpOpensTheHelpPageInTheBrowser) {
  const std::string refresh = Box('i', "Proxy list will be refreshed in the next IE browser window you open!");
  Open("1.2.3.4:80- US<br />");
  const auto clicks = [&] {
    for (UINT command : {kUpdate, kUpdate, kHelp}) Click(command);
    // A command the toolbar does not have, reflected to it as its own are.
    SendMessageA(ToolBar(), OCM_COMMAND, MAKEWPARAM(999, BN_CLICKED), reinterpret_cast<LPARAM>(ToolBar()));
  };
  EXPECT_EQ(Said(clicks), refresh + refresh);
  const std::vector<std::string> help = {"http://" QUILLMASK_HELP_HOST "/quillmaskhelp.asp"};
  EXPECT_EQ(m_host.Browser()->Navigations(), help);
}

// Sites lacking something get no toolbar and are not kept; a further site takes the toolbar along.
TEST_F(BandInHostTest, ASiteGetsTheToolBarWhichShowAndCloseShowAndHide) {
  CWnd otherFrame;
  ASSERT_TRUE(otherFrame.CreateEx(0, AfxPlainWindowClass(), "other", WS_POPUP, {}, nullptr, 0));
  Site site(m_frame.m_hWnd), other(otherFrame.m_hWnd);
  Site windowless(nullptr), noServices(m_frame.m_hWnd, false), broken(m_frame.m_hWnd, true, true);
  CComPtr<IObjectWithSite> withSite;
  CComPtr<IDeskBand> band = NewBand(&withSite);
  EXPECT_EQ(withSite->SetSite(static_cast<IInputObjectSite*>(&windowless)), E_FAIL);
  EXPECT_EQ(windowless.refs, 1u) << "not kept";
  EXPECT_EQ(withSite->SetSite(static_cast<IInputObjectSite*>(&noServices)), E_NOINTERFACE);
  EXPECT_EQ(noServices.refs, 1u) << "not kept";
  EXPECT_EQ(withSite->SetSite(static_cast<IInputObjectSite*>(&broken)), E_UNEXPECTED);
  EXPECT_EQ(WindowOf(band), nullptr);
  ASSERT_EQ(withSite->SetSite(static_cast<IInputObjectSite*>(&site)), S_OK);
  const HWND toolBar = WindowOf(band), host = GetParent(toolBar);
  const HWND proxyBox = FindWindowExA(toolBar, nullptr, "ComboBoxEx32", nullptr);
  EXPECT_EQ(GetParent(host), m_frame.m_hWnd);
  EXPECT_FALSE(GetWindowLongPtrA(host, GWL_STYLE) & WS_VISIBLE) << "the host window is never shown";
  EXPECT_EQ(band->ShowDW(TRUE), S_OK);
  EXPECT_TRUE(GetWindowLongPtrA(toolBar, GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(band->CloseDW(0), S_OK);
  EXPECT_FALSE(GetWindowLongPtrA(toolBar, GWL_STYLE) & WS_VISIBLE);
  NMHDR begin = {proxyBox, IDC_PROXY_COMBO, static_cast<UINT>(CBEN_BEGINEDIT)};
  SendMessageA(toolBar, WM_NOTIFY, IDC_PROXY_COMBO, reinterpret_cast<LPARAM>(&begin));
  CComPtr<IUnknown> self;
  band.QueryInterface(&self);
  EXPECT_EQ(site.focused, (std::vector<std::pair<IUnknown*, BOOL>>{{self.p, TRUE}})) << "the user edits the box";

  ASSERT_EQ(withSite->SetSite(static_cast<IInputObjectSite*>(&other)), S_OK);
  EXPECT_EQ(WindowOf(band), toolBar) << "not made twice";
  EXPECT_EQ(GetParent(host), otherFrame.m_hWnd);
  EXPECT_EQ(site.refs, 1u) << "the band let go of the first site";
  ASSERT_EQ(withSite->SetSite(nullptr), S_OK);
  void* got = &got;
  EXPECT_EQ(withSite->GetSite(IID_IUnknown, &got), E_FAIL);
  EXPECT_EQ(got, nullptr);
}

// A standard user's browser may not write the machine's settings key; at low integrity not even the user's own.
TEST_F(BandInHostTest, WorksForAStandardUserAndGivesTheUsersOwnProxyBack) {
  ListeningSocket first, second;
  const std::string one = Loopback(first.Port()), two = Loopback(second.Port()), own = "127.0.0.1:3128";
  // The state lands in the user's key, its low-integrity copy (hints: the switch stays in memory), or memory only.
  for (const char* stateKey : {kSettingsKey, kLowIntegritySettingsKey, static_cast<const char*>(nullptr)}) {
    ClearUserState();
    StartLanConnection(own.c_str());
    testreg::ReadOnlyKey machine(HKEY_LOCAL_MACHINE, kSettingsKey);
    std::optional<testreg::ReadOnlyKey> user, low;
    if (stateKey != kSettingsKey) user.emplace(HKEY_CURRENT_USER, kSettingsKey);
    if (!stateKey) low.emplace(HKEY_CURRENT_USER, kLowIntegritySettingsKey);
    Open(one + "- One<br />" + two + "- Two<br />");
    std::string proxies;
    const std::string said = Said([&] {
      Pick(0, false);
      Click(kToggle);
      proxies = ProxyInUse();
      Pick(1);
      proxies += " " + ProxyInUse() + " " + Label();
      Click(kUpdate);
      Click(kToggle);
    });
    EXPECT_EQ(proxies + " " + ProxyInUse(), one + " " + two + " Your IP is: " + two + " " + own);
    EXPECT_EQ(Face() + " " + Icons(said), "Enable 1 iiiii");
    if (!stateKey) continue;
    const char* const kept = stateKey == kSettingsKey ? "1 0" : "1 ";
    EXPECT_EQ(Stored(stateKey, "UpdateProxy") + " " + Stored(stateKey, "Enabled"), kept) << stateKey;
  }
}

// Runs the std::function<void()> whose address a WM_APP carries, sent or posted to it.
struct TaskWindow final : CWnd {
  BEGIN_MSG_MAP(TaskWindow)
    MESSAGE_HANDLER(WM_APP, OnTask)
  END_MSG_MAP()
  LRESULT OnTask(UINT, WPARAM, LPARAM task, BOOL&) { return (*reinterpret_cast<std::function<void()>*>(task))(), 0; }
};

// A further browser window on a thread of its own: Do() runs an action there and returns what its band said.
class WindowOnItsOwnThread {
 public:
  explicit WindowOnItsOwnThread(REFCLSID clsid) : m_thread([this, clsid] { Run(clsid); }) {
    m_ready.get_future().wait();
  }
  ~WindowOnItsOwnThread() { PostMessageA(m_tasks.m_hWnd, WM_QUIT, 0, 0), m_thread.join(); }
  std::string Do(const std::function<void(BrowserWindow&)>& action) {
    std::string said;
    std::function<void()> task = [&] { said = m_window->Said([&] { action(*m_window); }); };
    return SendMessageA(m_tasks.m_hWnd, WM_APP, 0, reinterpret_cast<LPARAM>(&task)), said;
  }

 private:
  void Run(REFCLSID clsid) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    auto window = std::make_unique<BrowserWindow>();
    EXPECT_TRUE(window->Create() && m_tasks.CreateEx(0, AfxPlainWindowClass(), "", WS_POPUP, {}, nullptr, 0));
    EXPECT_EQ(window->m_host.Open(window->m_frame.m_hWnd, clsid), S_OK);
    m_window = window.get(), m_ready.set_value();
    for (MSG msg; GetMessageA(&msg, nullptr, 0, 0) > 0;) DispatchMessageA(&msg);
    m_tasks.DestroyWindow(), window.reset(), CoUninitialize();
  }
  TaskWindow m_tasks;
  BrowserWindow* m_window = nullptr;
  std::promise<void> m_ready;
  std::thread m_thread;
};

// Each window switches while the other shows a box. (Wine keeps no bypass list: see the connection writer's.)
TEST_F(BandInHostTest, WindowsOnTwoThreadsSwitchingMeanwhileGiveTheUsersOwnProxyBack) {
  ListeningSocket first, second;
  const std::string one = Loopback(first.Port()), two = Loopback(second.Port()), own = "10.20.30.40:3128";
  StartLanConnection(own.c_str());
  Open(one + "- One<br />" + two + "- Two<br />");
  WindowOnItsOwnThread other(m_clsid);
  std::vector<std::string> said;  // by the other window, while this one shows a box
  const auto meanwhile = [&](std::vector<std::function<void(BrowserWindow&)>> actions) {
    return [&, actions] { if (said.size() < actions.size()) said.push_back(other.Do(actions[said.size()])); };
  };
  // Meanwhile the other switches on (as this one asks), then over (as this one tells its success).
  Pick(0, false);
  Said([&] { Click(kToggle); }, false,
       meanwhile({[](BrowserWindow& w) { w.Pick(1, false), w.Click(kToggle); }, [](BrowserWindow& w) { w.Pick(1); }}));
  const std::string switched = Asking(two, "Two") + Box('i', kProxyConnectedText);
  EXPECT_EQ(said, (std::vector<std::string>{switched, switched}));
  EXPECT_EQ(State(), On(two));
  // While this window tells its success, the other switches off.
  said.clear();
  Said([&] { Pick(0); }, false, meanwhile({[](BrowserWindow& w) { w.Click(kToggle); }}));
  EXPECT_EQ(said, std::vector<std::string>{""});
  EXPECT_EQ(State(), Off(own));
  EXPECT_EQ(other.Do([](BrowserWindow& w) { EXPECT_EQ(w.Face(), "Enable 1"); }), "");
}

// band_host.exe's window shows the proxy off after this one switched it on: its click acts on the state as it is.
TEST_F(BandInHostTest, AStaleToggleInAnotherProcessCatchesUpWithoutUndoingTheSwitch) {
  ListeningSocket proxy;
  const std::string live = Loopback(proxy.Port()), own = "10.20.30.40:3128";
  StartLanConnection(own.c_str());
  Open(live + "- Here<br />");
  Pick(0, false);
  const std::string local = Label();
  std::string other;  // its toggle's image and its label, before and after its click
  EXPECT_TRUE(RunToEnd("\"" + PathBesideProgram("band_host.exe") + "\"", [&](const ProgramRun& run) {
    const HWND bar = run.windows.empty() ? nullptr : FindWindowExA(run.windows[0], nullptr, "ToolbarWindow32", nullptr);
    if (!bar || !other.empty()) return;
    const auto look = [=] { return std::to_string(SendMessageA(bar, TB_GETBITMAP, kToggle, 0)) + " " + LabelOf(bar); };
    other = look();
    EXPECT_EQ(Icons(Said([&] { Click(kToggle); })), "ii");
    EXPECT_TRUE(ClickAt(bar, ButtonMiddle(kToggle))) << "no box keeps it waiting";
    other += " | " + look();
    PostMessageA(run.windows[0], WM_CLOSE, 0, 0);
  }).ended);
  EXPECT_EQ(other, "1 " + local + " | 0 Your IP is: " + live);
  EXPECT_EQ(State(), On(live));
}

// A stuck switch holds the lock: the window answers other threads meanwhile, then says nothing changed.
TEST_F(BandInHostTest, WhileAnotherSwitchHoldsTheLockTheWindowAnswersThenSaysNothingChanged) {
  ListeningSocket proxy;
  const std::string live = Loopback(proxy.Port()), own = "10.20.30.40:3128";
  StartLanConnection(own.c_str());
  Open(live + "- Here<br />");
  Pick(0, false);
  const struct { std::string said, state; } cases[] = {
      {Asking(live, "Here") + Box('!', kProxyNotSetText), Off(own)}, {Box('!', kProxyNotRemovedText), On(live)}};
  for (const auto& c : cases) {
    if (&c == &cases[1]) { ASSERT_EQ(Icons(Said([&] { Click(kToggle); })), "ii"); }
    // Sending stops once the last box is up: one sent while this thread joins the sender would go unanswered.
    std::atomic<bool> told{false};
    int sent = 0, answered = 0, boxes = 0;
    std::string said;
    {
      HeldSwitchLock held;
      std::thread other([&, bar = ToolBar()] {  // a bound well inside the lock's wait
        for (DWORD_PTR result = 0; !told; Sleep(200)) {
          ++sent, answered += SendMessageTimeoutA(bar, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &result) != 0;
        }
      });
      said = Said([&] { Click(kToggle); }, false, [&] { told = ++boxes == static_cast<int>(Icons(c.said).size()); });
      told = true, other.join();
    }
    EXPECT_EQ(said, c.said);
    EXPECT_TRUE(sent > 1 && answered == sent) << answered << " of " << sent << " answered";
    EXPECT_EQ(State(), c.state);
  }
  EXPECT_EQ(Said([&] { Click(kToggle); }), "") << "the lock let go: switched off";
  EXPECT_EQ(State(), Off(own));
}

// From a timer, until it says it is done: a test's action while the toolbar waits for a proxy test.
thread_local std::function<bool()> t_untilDone;
void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD) { t_untilDone() && KillTimer(nullptr, timer); }

// The browser closes the window while the toolbar waits in a box, or in the test of a proxy that drops the
// connection (meanwhile the toolbar takes no command, shows the wait cursor and answers other threads).
TEST_F(BandInHostTest, AWindowClosedDuringAnyWaitSwitchesNothingMoreAndLeavesNothingBehind) {
  ListeningSocket proxy;
  SynDroppingListener dropping;
  const std::string live = Loopback(proxy.Port()), closed = Loopback(ClosedLoopbackPort());
  const std::string stalled = Loopback(dropping.Port());
  TaskWindow later;
  ASSERT_TRUE(later.CreateEx(0, AfxPlainWindowClass(), "", WS_POPUP, {}, nullptr, 0));
  std::vector<HRESULT> unloads;  // as the browser closed the window: the band's command still runs
  std::function<void()> closing = [&] { m_host.Close(), m_frame.DestroyWindow(), unloads.push_back(CanUnloadNow()); };
  std::string duringTest;
  std::thread other;
  const auto whileTesting = [&] {
    SendMessageA(ToolBar(), WM_SETCURSOR, reinterpret_cast<WPARAM>(ToolBar()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    duringTest = std::to_string(SendMessageA(ToolBar(), TB_ISBUTTONENABLED, kToggle, 0) +
                                SendMessageA(ToolBar(), TB_ISBUTTONENABLED, kHelp, 0)) +
                 (GetCursor() == LoadCursor(nullptr, IDC_WAIT) ? " wait" : " arrow");
    other = std::thread([&, tasks = later.m_hWnd] {  // answered by the test's wait, which then closes
      DWORD_PTR answered = 0;
      if (SendMessageTimeoutA(tasks, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answered)) duringTest += " answered";
      PostMessageA(tasks, WM_APP, 0, reinterpret_cast<LPARAM>(&closing));
    });
  };
  struct Case { std::string proxy; bool closeUp; int closeAtBox; const char* said; bool tested; const char* after; };
  const Case cases[] = {{live, true, 1, "i", false, "10.0.0.1:80 1"}, {live, true, 2, "ii", true, "? 1"},
                        {live, false, 1, "i", false, " 0"}, {closed, false, 2, "i!", false, " 0"},
                        {live, false, 2, "ii", true, "? 1"}, {stalled, false, 0, "i", false, " 0"}};
  SetCursor(LoadCursor(nullptr, IDC_WAIT));  // the system loads its cursors once, and keeps them
  ExpectNothingLeft(5, 6, [&](int i) {
    const Case& c = cases[i % 6];
    SCOPED_TRACE(i);
    ASSERT_TRUE(m_frame.m_hWnd || Create());
    testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "Enabled", c.closeUp);
    testreg::SetString(HKEY_CURRENT_USER, kSettingsKey, "ActiveIP", c.closeUp ? "10.0.0.1:80" : "");
    Open(c.proxy + "- There<br />");
    int boxes = 0;
    t_untilDone = [&, box = ProxyBox()] { return !IsWindowEnabled(box) && (whileTesting(), true); };
    if (!c.closeAtBox) SetTimer(nullptr, 0, 50, OnTimer);
    const std::string said = Said([&] { Pick(0, c.closeUp), c.closeUp ? void() : Click(kToggle); }, false, [&] {
      if (++boxes == c.closeAtBox) PostMessageA(later.m_hWnd, WM_APP, 0, reinterpret_cast<LPARAM>(&closing));
    });
    if (other.joinable()) other.join();
    EXPECT_EQ(Icons(said), c.said);
    EXPECT_EQ(proxy.AcceptAndSeeClosed(c.tested ? 5000 : 200), c.tested) << "the live proxy tested";
    EXPECT_EQ(unloads, std::vector<HRESULT>{S_FALSE}) << "the module stays while its command runs";
    EXPECT_EQ(CanUnloadNow(), S_OK) << "then the band is gone";
    unloads.clear();
    const std::string active = Stored(kSettingsKey, "ActiveIP");
    EXPECT_EQ((active == c.proxy ? "?" : active) + " " + Stored(kSettingsKey, "Enabled"), c.after);
    DisableConnectionProxy();
  });
  EXPECT_EQ(duringTest, "0 wait answered");
}

// Bands come and go each way the browser has: opened, painted and closed; released while sited; or switched on
// and off, closed, and the module let go (CoFreeUnusedLibraries) and loaded again.
TEST_F(BandInHostTest, BandsComingAndGoingLeaveNoWindowsGdiObjectsHandlesOrReferences) {
  Site site(m_frame.m_hWnd);
  ExpectNothingLeft(6, 12, [&](int i) {
    ListeningSocket proxy;  // one each time: the proxy tests fill its queue
    if (i % 3 == 1) {
      CComPtr<IObjectWithSite> withSite;
      CComPtr<IDeskBand> band = NewBand(&withSite);
      ASSERT_EQ(withSite->SetSite(static_cast<IInputObjectSite*>(&site)), S_OK);
      ASSERT_EQ(band->ShowDW(TRUE), S_OK);
      return;
    }
    Open(Loopback(proxy.Port()) + "- Here<br />5.6.7.8:3128- DE<br />");
    RedrawWindow(m_frame.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (i % 3 == 2) {
      Pick(0, false);
      EXPECT_EQ(Icons(Said([&] { Click(kToggle); }) + Said([&] { Click(kToggle); })), "ii") << "on, then off";
    }
    ASSERT_EQ(m_host.Close(), S_OK);
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_EQ(GetModuleHandleA("quillbar.dll"), nullptr) << "the module was let go";
  });
  EXPECT_EQ(site.refs, 1u);
}
