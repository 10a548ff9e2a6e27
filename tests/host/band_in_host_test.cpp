// quillbar.dll's band, created from its registration and hosted the way the browser hosts it: the
// user's clicks and keys go to its real windows, its message boxes are answered, and what it
// changes is seen where the system keeps it (the registry, WinINet, a real proxy's log).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "build_config.h"
#include "framework/wnd.h"
#include "host/band_host.h"
#include "proxylist/fetch_proxy_list.h"
#include "tests/host/message_box_answerer.h"
#include "tests/support/combo_box_items.h"
#include "tests/support/install_folder.h"
#include "tests/support/loopback.h"
#include "tests/support/registry.h"
#include "tests/support/wine_paths.h"

namespace {

constexpr char kInternetSettingsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr UINT kToggleCommand = 32768;
constexpr UINT kHelpCommand = 32775;
constexpr int kProxyBoxId = 103;

std::string ReadFixtureFile(const char* name) {
  std::ifstream file(WindowsPathFromUnix(std::string(TINYPROXY_DIR) + "/" + name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// "127.0.0.1:<port>" of the tinyproxy the test fixture started; empty when it is not running.
std::string LiveProxy() {
  const std::string port = ReadFixtureFile("port");
  return port.empty() ? std::string() : "127.0.0.1:" + port.substr(0, port.find('\n'));
}

// A left click in the middle of the button with `command` of `toolbar`.
void ClickButton(HWND toolbar, UINT command) {
  RECT rect = {};
  ASSERT_TRUE(SendMessageA(toolbar, TB_GETRECT, command, reinterpret_cast<LPARAM>(&rect))) << command;
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  SendMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(toolbar, WM_LBUTTONUP, 0, at);
}

class BandInHostTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    m_comStarted = true;
    testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "Enabled", 0);
    testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "UpdateProxy", 0);
    // The LAN connection is the one written when no dial-up connection is the default.
    testreg::DeleteValue(HKEY_CURRENT_USER, kInternetSettingsKey, "EnableAutodial");
    testreg::SetDword(HKEY_CURRENT_USER, kInternetSettingsKey, "ProxyEnable", 0);
    ASSERT_EQ(FindBandClsid(&m_clsid), S_OK);
    ASSERT_TRUE(m_frame.CreateEx(0, AfxPlainWindowClass(), "Quillmask band host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 {0, 0, 1100, 140}, nullptr, 0));
  }

  void TearDown() override {
    EXPECT_EQ(m_host.Close(), S_OK);
    m_frame.DestroyWindow();
    testreg::SetDword(HKEY_CURRENT_USER, kInternetSettingsKey, "ProxyEnable", 0);
    if (m_comStarted) CoUninitialize();
  }

  void WriteList(const std::string& text) { m_folder.WriteList(text); }

  // The band's window is the toolbar; the proxy box is its ComboBoxEx.
  HWND Toolbar() const { return m_host.BandWindow(); }
  HWND ProxyBox() const { return FindWindowExA(Toolbar(), nullptr, "ComboBoxEx32", nullptr); }
  HWND InnerComboBox() const { return reinterpret_cast<HWND>(SendMessageA(ProxyBox(), CBEM_GETCOMBOCONTROL, 0, 0)); }

  std::string ItemText(int index) const { return ComboBoxExItemText(ProxyBox(), index); }

  // Selects the item with `text`, as a user's pick in the list does before it closes.
  void Select(const std::string& text) const {
    const int count = static_cast<int>(SendMessageA(InnerComboBox(), CB_GETCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
      if (ItemText(index) == text) {
        SendMessageA(InnerComboBox(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        return;
      }
    }
    ADD_FAILURE() << "no item " << text;
  }

  void Click(UINT command) const { ClickButton(Toolbar(), command); }

  std::string ToggleText() const {
    char text[64] = {};
    SendMessageA(Toolbar(), TB_GETBUTTONTEXTA, kToggleCommand, reinterpret_cast<LPARAM>(text));
    return text;
  }

  std::optional<DWORD> ProxyEnable() const {
    return testreg::GetDword(HKEY_CURRENT_USER, kInternetSettingsKey, "ProxyEnable");
  }

  bool m_comStarted = false;
  InstallFolder m_folder{"host"};
  CLSID m_clsid = {};
  CWnd m_frame;
  BandHost m_host;
};

TEST_F(BandInHostTest, OpensInARowOfTheFrameWithItsProxyBox) {
  WriteList("10.0.0.1:80- First<br />10.0.0.2:8080- Second<br />");
  ASSERT_EQ(m_host.Open(m_frame.m_hWnd, m_clsid), S_OK);

  EXPECT_TRUE(IsWindowVisible(Toolbar())) << "the band's window and every window it lies in are shown";
  RECT frame = {}, band = {};
  GetClientRect(m_frame.m_hWnd, &frame);
  MapWindowPoints(m_frame.m_hWnd, nullptr, reinterpret_cast<POINT*>(&frame), 2);
  GetWindowRect(Toolbar(), &band);
  EXPECT_EQ(band.left, frame.left);
  EXPECT_EQ(band.top, frame.top);
  EXPECT_EQ(band.right, frame.right);
  EXPECT_GT(m_host.RowHeight(), 0);
  EXPECT_EQ(band.bottom - band.top, m_host.RowHeight());

  ASSERT_NE(ProxyBox(), nullptr);
  EXPECT_EQ(GetDlgCtrlID(ProxyBox()), kProxyBoxId);
  ASSERT_EQ(SendMessageA(InnerComboBox(), CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(ItemText(0), "10.0.0.1:80- First");
  EXPECT_EQ(ToggleText(), "Enable");

  const HWND toolbar = Toolbar();
  EXPECT_EQ(m_host.Close(), S_OK);
  EXPECT_FALSE(IsWindow(toolbar)) << "closing destroys the band's windows";
}

TEST_F(BandInHostTest, EnableAppliesThePickedProxyAndDisableGoesDirect) {
  const std::string live = LiveProxy();
  ASSERT_FALSE(live.empty()) << "the tinyproxy fixture is not running";
  WriteList(live + "- Local tinyproxy<br />127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "- Dead proxy<br />");
  ASSERT_EQ(m_host.Open(m_frame.m_hWnd, m_clsid), S_OK);

  Select(live + "- Local tinyproxy");
  {
    MessageBoxAnswerer boxes;
    Click(kToggleCommand);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_NE(boxes.Boxes()[0].text.find("\n" + live + "\nfrom Local tinyproxy."), std::string::npos)
        << boxes.Boxes()[0].text;
    EXPECT_EQ(boxes.Boxes()[1].text, "SUCCESS! Quillmask is connected to the chosen proxy ");
    EXPECT_FALSE(boxes.Boxes()[1].error);
  }
  EXPECT_EQ(ProxyEnable(), 1u);
  EXPECT_EQ(testreg::GetString(HKEY_CURRENT_USER, kInternetSettingsKey, "ProxyServer"), live);
  EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kSettingsKey, "Enabled"), 1u);
  EXPECT_EQ(ToggleText(), "Disable");

  // This process's WinINet now goes through tinyproxy.
  TestHttpServer server({"1.2.3.4:80- US<br />"});
  EXPECT_EQ(FetchProxyList(server.ListAddress()), "1.2.3.4:80- US<br />");
  EXPECT_NE(ReadFixtureFile("log").find("GET " + server.ListAddress()), std::string::npos);

  {
    MessageBoxAnswerer boxes;
    Click(kToggleCommand);
    EXPECT_TRUE(boxes.Boxes().empty());
  }
  EXPECT_EQ(ProxyEnable(), 0u);
  EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kSettingsKey, "Enabled"), 0u);
  EXPECT_EQ(ToggleText(), "Enable");
}

TEST_F(BandInHostTest, AnUnreachableProxyIsReportedAndNotApplied) {
  const std::string dead = "127.0.0.1:" + std::to_string(ClosedLoopbackPort());
  WriteList(dead + "- Dead proxy<br />");
  ASSERT_EQ(m_host.Open(m_frame.m_hWnd, m_clsid), S_OK);

  Select(dead + "- Dead proxy");
  MessageBoxAnswerer boxes;
  Click(kToggleCommand);
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  EXPECT_TRUE(boxes.Boxes()[1].error) << boxes.Boxes()[1].text;
  EXPECT_EQ(ProxyEnable(), 0u);
  EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kSettingsKey, "Enabled"), 0u);
  EXPECT_EQ(ToggleText(), "Enable");
}

TEST_F(BandInHostTest, HelpOpensTheHelpPageInTheHostingBrowser) {
  std::vector<std::string> shown;
  BandHost host([&shown](const std::string& address) { shown.push_back(address); });
  ASSERT_EQ(host.Open(m_frame.m_hWnd, m_clsid), S_OK);
  ClickButton(host.BandWindow(), kHelpCommand);

  const std::vector<std::string> expected = {"http://" QUILLMASK_HELP_HOST "/quillmaskhelp.asp"};
  EXPECT_EQ(host.Browser()->Navigations(), expected);
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(host.Close(), S_OK);
}

TEST_F(BandInHostTest, KeysAndFocusReachTheBandThroughItsHost) {
  WriteList("10.0.0.1:80- First<br />");
  ASSERT_EQ(m_host.Open(m_frame.m_hWnd, m_clsid), S_OK);
  SetFocus(m_frame.m_hWnd);
  EXPECT_EQ(m_host.HasFocus(), S_FALSE);

  EXPECT_EQ(m_host.UIActivate(TRUE), S_OK);
  EXPECT_EQ(m_host.HasFocus(), S_OK);
  EXPECT_TRUE(IsChild(Toolbar(), GetFocus()));
  EXPECT_EQ(m_host.Site()->FocusChanges(), std::vector<BOOL>{TRUE}) << "the band tells its site it has the keyboard";

  const HWND edit = reinterpret_cast<HWND>(SendMessageA(ProxyBox(), CBEM_GETEDITCONTROL, 0, 0));
  SetFocus(edit);
  SetWindowTextA(edit, "10.9.9.9:8080- Typed");
  MSG enter = {edit, WM_KEYUP, VK_RETURN, 0, 0, {0, 0}};
  EXPECT_EQ(m_host.TranslateAccelerator(&enter), S_OK);
  EXPECT_EQ(ItemText(0), "10.9.9.9:8080- Typed");
  MSG browserKey = {edit, WM_KEYDOWN, VK_F5, 0, 0, {0, 0}};
  EXPECT_EQ(m_host.TranslateAccelerator(&browserKey), S_FALSE) << "left to the browser";
  MSG notAKey = {edit, WM_LBUTTONDOWN, 0, 0, 0, {0, 0}};
  EXPECT_EQ(m_host.TranslateAccelerator(&notAKey), S_FALSE);

  SetFocus(m_frame.m_hWnd);
  EXPECT_EQ(m_host.HasFocus(), S_FALSE);
}

}  // namespace
