// The toolbar's buttons, clicked for real: the click goes from the toolbar to its host window and
// comes back to the toolbar's own handler. The proxy is written through WinINet into Wine's
// stored settings, which the tests read back.
#include <gtest/gtest.h>

#include <optional>

#include "connection/connection_options.h"
#include "connection/connection_proxy.h"
#include "settings/shared_registry_dword.h"
#include "tests/support/loopback.h"
#include "tests/support/message_box_recorder.h"
#include "tests/toolbar/toolbar_fixture.h"

namespace {

constexpr char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kRefreshText[] = "Proxy list will be refreshed in the next IE browser window you open!";

class ToolBarCommandsTest : public BandToolBarTest {
 protected:
  void SetUp() override {
    BandToolBarTest::SetUp();
    ReplaceInternetSetOption(nullptr);  // the real WinINet: its stored settings are the effect
    DisableConnectionProxy();
    EnabledSetting = 0;
  }
  void TearDown() override {
    DisableConnectionProxy();  // later tests download directly
    BandToolBarTest::TearDown();
  }

  // A user's click on the button with `command`.
  static void Click(CBandToolBar& toolBar, UINT command) {
    RECT rect = {};
    ASSERT_TRUE(toolBar.SendMessage(TB_GETRECT, command, reinterpret_cast<LPARAM>(&rect)));
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    toolBar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    toolBar.SendMessage(WM_LBUTTONUP, 0, at);
  }

  static std::string ToggleText(CBandToolBar& toolBar) {
    char text[64] = {};
    toolBar.SendMessage(TB_GETBUTTONTEXTA, ID_PROXY_TOGGLE, reinterpret_cast<LPARAM>(text));
    return text;
  }
  static int ToggleImage(CBandToolBar& toolBar) {
    TBBUTTON button = {};
    toolBar.SendMessage(TB_GETBUTTON, kToggleButtonIndex, reinterpret_cast<LPARAM>(&button));
    return button.iBitmap;
  }
  static void Select(CBandToolBar& toolBar, int index) {
    SendMessageA(toolBar.m_wndProxyCombo.GetComboBoxCtrl(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  static bool ComboHasFocus(CBandToolBar& toolBar) {
    const HWND focus = GetFocus();
    return focus == toolBar.m_wndProxyCombo.m_hWnd || IsChild(toolBar.m_wndProxyCombo.m_hWnd, focus);
  }

  // An absent value reads as its default: the settings write only values that change.
  static std::string ActiveIP() {
    return testreg::GetString(HKEY_CURRENT_USER, kSettingsKey, "ActiveIP").value_or("");
  }
  static DWORD StoredEnabled() { return testreg::GetDword(HKEY_CURRENT_USER, kSettingsKey, "Enabled").value_or(0); }
  static DWORD ProxyEnable() {
    return testreg::GetDword(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable").value_or(0);
  }
  static std::string ProxyServer() {
    return testreg::GetString(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer").value_or("");
  }
};

TEST_F(ToolBarCommandsTest, UpdateProxyListAsksForARefreshEachTimeItIsClicked) {
  CBandToolBar toolBar;
  ASSERT_TRUE(Create(toolBar));
  MessageBoxRecorder boxes;
  Click(toolBar, ID_UPDATE_PROXY_LIST);
  Click(toolBar, ID_UPDATE_PROXY_LIST);
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  for (const RecordedMessageBox& box : boxes.Boxes()) {
    EXPECT_EQ(box.text, kRefreshText);
    EXPECT_EQ(box.caption, "Quillmask");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(box.owner, toolBar.m_hWnd);
  }
  EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kSettingsKey, "UpdateProxy"), 1u);

  // A command the toolbar does not have, reflected the same way, does nothing.
  SendMessageA(m_host.m_hWnd, WM_COMMAND, MAKEWPARAM(999, BN_CLICKED), reinterpret_cast<LPARAM>(toolBar.m_hWnd));
  EXPECT_EQ(boxes.Boxes().size(), 2u);
}

TEST_F(ToolBarCommandsTest, HelpWithoutABrowserOpensNothing) {
  CBandToolBar toolBar;
  ASSERT_TRUE(Create(toolBar));
  MessageBoxRecorder boxes;
  Click(toolBar, ID_HELP_PAGE);
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_TRUE(ComboHasFocus(toolBar));
}

TEST_F(ToolBarCommandsTest, EnableWithNothingSelectedDoesNothing) {
  WriteList("127.0.0.1:1- Here<br />");
  CBandToolBar toolBar;
  ASSERT_TRUE(Create(toolBar));
  const std::string label = toolBar.m_wndIpLabel.GetWindowText();
  SetFocus(m_host.m_hWnd);
  MessageBoxRecorder boxes;
  Click(toolBar, ID_PROXY_TOGGLE);
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(ToggleText(toolBar), "Enable");
  EXPECT_EQ(StoredEnabled(), 0u);
  EXPECT_EQ(toolBar.m_wndIpLabel.GetWindowText(), label);
  EXPECT_EQ(GetFocus(), m_host.m_hWnd);
}

TEST_F(ToolBarCommandsTest, EnableTestsAndAppliesTheProxyAndDisableSwitchesItOff) {
  LoopbackListener proxy;
  const std::string live = "127.0.0.1:" + std::to_string(proxy.Port());
  WriteList(live + "- Here<br />");
  CBandToolBar toolBar;
  ASSERT_TRUE(Create(toolBar));
  Select(toolBar, 0);

  std::vector<std::string> textsWhileShown;
  {
    MessageBoxRecorder boxes([&] { textsWhileShown.push_back(ToggleText(toolBar)); });
    Click(toolBar, ID_PROXY_TOGGLE);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Press Ok to start testing selected proxy:\n" + live +
                                         "\nfrom Here. This may take a few seconds\nPlease wait...");
    EXPECT_EQ(boxes.Boxes()[0].owner, toolBar.m_hWnd);
    EXPECT_EQ(boxes.Boxes()[1].text, "SUCCESS! Quillmask is connected to the chosen proxy ");
  }
  EXPECT_EQ(textsWhileShown, (std::vector<std::string>{"Disable", "Disable"}));
  EXPECT_EQ(ProxyEnable(), 1u);
  EXPECT_EQ(ProxyServer(), live);
  EXPECT_EQ(ActiveIP(), live);
  EXPECT_EQ(StoredEnabled(), 1u);
  EXPECT_EQ(toolBar.m_wndIpLabel.GetWindowText(), "Your IP is: " + live);
  EXPECT_EQ(ToggleText(toolBar), "Disable");
  EXPECT_EQ(ToggleImage(toolBar), 0);
  EXPECT_TRUE(ComboHasFocus(toolBar));

  SetFocus(m_host.m_hWnd);
  MessageBoxRecorder boxes;
  Click(toolBar, ID_PROXY_TOGGLE);
  EXPECT_TRUE(boxes.Boxes().empty()) << "switching off asks nothing";
  EXPECT_EQ(ProxyEnable(), 0u);
  EXPECT_EQ(ActiveIP(), "");
  EXPECT_EQ(StoredEnabled(), 0u);
  EXPECT_EQ(toolBar.m_wndIpLabel.GetWindowText(), LocalLabel());
  EXPECT_EQ(ToggleText(toolBar), "Enable");
  EXPECT_EQ(ToggleImage(toolBar), 1);
  EXPECT_TRUE(ComboHasFocus(toolBar));
  // The button keeps its place, command and state through both rewrites.
  EXPECT_EQ(toolBar.SendMessage(TB_COMMANDTOINDEX, ID_PROXY_TOGGLE), kToggleButtonIndex);
  EXPECT_EQ(toolBar.SendMessage(TB_GETSTATE, ID_PROXY_TOGGLE) & TBSTATE_ENABLED, TBSTATE_ENABLED);
}

TEST_F(ToolBarCommandsTest, FailedTestWithNoProxyInUseReturnsToSwitchedOff) {
  const std::string dead = "127.0.0.1:" + std::to_string(ClosedLoopbackPort());
  WriteList(dead + "- There<br />");
  CBandToolBar toolBar;
  ASSERT_TRUE(Create(toolBar));
  Select(toolBar, 0);
  MessageBoxRecorder boxes;
  Click(toolBar, ID_PROXY_TOGGLE);
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  EXPECT_EQ(boxes.Boxes()[1].type, static_cast<UINT>(MB_OK | MB_ICONHAND));
  EXPECT_EQ(ToggleText(toolBar), "Enable");
  EXPECT_EQ(StoredEnabled(), 0u);
  EXPECT_EQ(ActiveIP(), "");
  EXPECT_EQ(toolBar.m_wndIpLabel.GetWindowText(), LocalLabel());
  EXPECT_EQ(ProxyEnable(), 0u);
}

TEST_F(ToolBarCommandsTest, FailedTestWithAnotherProxyStoredKeepsTheDisableLook) {
  const std::string dead = "127.0.0.1:" + std::to_string(ClosedLoopbackPort());
  WriteList(dead + "- There<br />");
  testreg::SetString(HKEY_CURRENT_USER, kSettingsKey, "ActiveIP", "10.0.0.1:80");
  CBandToolBar toolBar;
  ASSERT_TRUE(Create(toolBar));
  Select(toolBar, 0);
  MessageBoxRecorder boxes;
  Click(toolBar, ID_PROXY_TOGGLE);
  EXPECT_EQ(boxes.Boxes().size(), 2u);
  EXPECT_EQ(ToggleText(toolBar), "Disable");
  EXPECT_EQ(StoredEnabled(), 0u);
  EXPECT_EQ(ActiveIP(), "10.0.0.1:80");
  EXPECT_EQ(toolBar.m_wndIpLabel.GetWindowText(), "Your IP is: 10.0.0.1:80");
}

TEST_F(ToolBarCommandsTest, EnabledTwoCountsAsSwitchedOn) {
  EnabledSetting = 2;
  testreg::SetString(HKEY_CURRENT_USER, kSettingsKey, "ActiveIP", "10.0.0.1:80");
  CBandToolBar toolBar;
  ASSERT_TRUE(Create(toolBar));
  MessageBoxRecorder boxes;
  Click(toolBar, ID_PROXY_TOGGLE);
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(StoredEnabled(), 0u);
  EXPECT_EQ(ActiveIP(), "");
  EXPECT_EQ(ToggleText(toolBar), "Enable");
}

// A standard user's browser may not write the machine's settings key; at low integrity not even
// the user's own. Switching on, changing proxies, off, on again, off and asking for a new list all
// work all the same, nothing claims a success that did not happen, and switching off gives the
// user's own proxy back.
TEST_F(ToolBarCommandsTest, WorksForAStandardUserAndGivesTheUsersOwnProxyBack) {
  struct Case {
    const char* name;
    bool userKeyLocked;
    bool lowKeyLocked;
    const char* stateKey;  // where the user's state lands; nullptr: only in the process's memory
  };
  const Case cases[] = {
      {"machine key read-only", false, false, kSettingsKey},
      {"user's key read-only too", true, false, kLowIntegritySettingsKey},
      {"every key read-only", true, true, nullptr},
  };
  LoopbackListener first, second;
  const std::string one = "127.0.0.1:" + std::to_string(first.Port());
  const std::string two = "127.0.0.1:" + std::to_string(second.Port());
  const ConnectionOptions own = {PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, "127.0.0.1:3128", "", "", 0};
  WriteList(one + "- One<br />" + two + "- Two<br />");

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearUserState();
    ASSERT_TRUE(WriteConnectionOptions(nullptr, own));
    testreg::ReadOnlyKey machine(HKEY_LOCAL_MACHINE, kSettingsKey);
    std::optional<testreg::ReadOnlyKey> user, low;
    if (c.userKeyLocked) user.emplace(HKEY_CURRENT_USER, kSettingsKey);
    if (c.lowKeyLocked) low.emplace(HKEY_CURRENT_USER, kLowIntegritySettingsKey);

    CBandToolBar toolBar;
    ASSERT_TRUE(Create(toolBar));
    MessageBoxRecorder boxes;
    Select(toolBar, 0);
    Click(toolBar, ID_PROXY_TOGGLE);
    EXPECT_EQ(ProxyServer(), one);
    CloseList(toolBar, 1);
    EXPECT_EQ(ProxyServer(), two);
    EXPECT_EQ(toolBar.m_wndIpLabel.GetWindowText(), "Your IP is: " + two);
    Click(toolBar, ID_PROXY_TOGGLE);
    EXPECT_EQ(ToggleText(toolBar), "Enable");
    EXPECT_EQ(ProxyEnable(), 1u);
    EXPECT_EQ(ProxyServer(), own.proxyServer) << "the user's own proxy is back";
    Click(toolBar, ID_PROXY_TOGGLE);
    EXPECT_EQ(ToggleText(toolBar), "Disable");
    EXPECT_EQ(ProxyServer(), two);
    EXPECT_EQ(static_cast<DWORD>(RegistryDword(setting::kEnabled)), 1u);
    Click(toolBar, ID_UPDATE_PROXY_LIST);
    Click(toolBar, ID_PROXY_TOGGLE);
    EXPECT_EQ(ToggleText(toolBar), "Enable");
    EXPECT_EQ(ProxyServer(), own.proxyServer);

    EXPECT_EQ(boxes.Boxes().size(), 7u);  // three tests of a proxy, with success each time, and the refresh
    for (const RecordedMessageBox& box : boxes.Boxes()) EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(static_cast<DWORD>(RegistryDword(setting::kEnabled)), 0u);
    EXPECT_EQ(static_cast<DWORD>(RegistryDword(setting::kUpdateProxy)), 1u);
    EXPECT_FALSE(testreg::GetDword(HKEY_LOCAL_MACHINE, kSettingsKey, "Enabled"));
    if (c.stateKey) {
      EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, c.stateKey, "UpdateProxy"), 1u);
      EXPECT_NE(testreg::GetString(HKEY_CURRENT_USER, c.stateKey, "LocalIP").value_or("").find(" [Local IP]"),
                std::string::npos);
    }
  }
  ClearUserState();
}

TEST_F(ToolBarCommandsTest, RefusedSettingsWriteIsReportedAndChangesNothing) {
  LoopbackListener first, second;
  const std::string one = "127.0.0.1:" + std::to_string(first.Port());
  const std::string two = "127.0.0.1:" + std::to_string(second.Port());
  WriteList(one + "- One<br />" + two + "- Two<br />");
  CBandToolBar toolBar;
  ASSERT_TRUE(Create(toolBar));
  Select(toolBar, 0);
  const std::string label = toolBar.m_wndIpLabel.GetWindowText();
  const auto expectError = [&](const RecordedMessageBox& box, const char* text, HWND owner) {
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, "Quillmask");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_EQ(box.owner, owner);
  };
  {
    testreg::ReadOnlyKey locked(HKEY_CURRENT_USER, kInternetSettings);
    MessageBoxRecorder boxes;
    Click(toolBar, ID_PROXY_TOGGLE);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    expectError(boxes.Boxes()[1], kProxyNotSetText, toolBar.m_hWnd);
    EXPECT_EQ(ToggleText(toolBar), "Enable");
    EXPECT_EQ(StoredEnabled(), 0u);
    EXPECT_EQ(ActiveIP(), "");
    EXPECT_EQ(toolBar.m_wndIpLabel.GetWindowText(), label);
    EXPECT_EQ(ProxyEnable(), 0u);
  }
  {
    MessageBoxRecorder boxes;
    Click(toolBar, ID_PROXY_TOGGLE);
  }
  ASSERT_EQ(ProxyServer(), one);
  testreg::ReadOnlyKey locked(HKEY_CURRENT_USER, kInternetSettings);
  MessageBoxRecorder boxes;
  CloseList(toolBar, 1);  // another proxy
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  expectError(boxes.Boxes()[1], kProxyNotSetText, toolBar.m_wndProxyCombo.m_hWnd);
  EXPECT_EQ(ActiveIP(), one);
  EXPECT_EQ(toolBar.m_wndIpLabel.GetWindowText(), "Your IP is: " + one);
  Click(toolBar, ID_PROXY_TOGGLE);  // off
  ASSERT_EQ(boxes.Boxes().size(), 3u);
  expectError(boxes.Boxes()[2], kProxyNotRemovedText, toolBar.m_hWnd);
  EXPECT_EQ(ToggleText(toolBar), "Disable");
  EXPECT_EQ(StoredEnabled(), 1u);
  EXPECT_EQ(ActiveIP(), one);
  EXPECT_EQ(ProxyServer(), one);
}

}  // namespace
