// The toolbar with real comctl32 controls in a window on the test display.
#include "toolbar/band_toolbar.h"

#include <gtest/gtest.h>

#include "settings/shared_registry_dword.h"
#include "tests/support/gui_objects.h"
#include "tests/support/loopback.h"
#include "tests/support/message_box_recorder.h"
#include "tests/toolbar/toolbar_fixture.h"

namespace {

TEST_F(BandToolBarTest, CreatesTheButtonTableAndControls) {
  EnabledSetting = 0;
  WriteList("1.2.3.4:80- US<br />5.6.7.8:3128- DE<br />(null)<br />");
  CBandToolBar toolBar;
  ASSERT_TRUE(Create(toolBar));
  EXPECT_EQ(GetDlgCtrlID(toolBar.m_hWnd), 206);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(toolBar.m_hWnd, GWL_STYLE)) & 0xFFFF0000u, 0x54010000u);

  ASSERT_EQ(toolBar.SendMessage(TB_BUTTONCOUNT), 6);
  const struct {
    int command, bitmap;
    BYTE style;
  } expected[] = {{-1, 230, TBSTYLE_SEP},
                  {static_cast<int>(ID_HELP_PAGE), 2, TBSTYLE_BUTTON},
                  {static_cast<int>(ID_UPDATE_PROXY_LIST), 3, TBSTYLE_BUTTON},
                  {static_cast<int>(ID_PROXY_TOGGLE), 1, TBSTYLE_BUTTON},
                  {-1, 300, TBSTYLE_SEP},
                  {-1, 300, TBSTYLE_SEP}};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    TBBUTTON button = {};
    ASSERT_TRUE(toolBar.SendMessage(TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button)));
    EXPECT_EQ(button.idCommand, expected[i].command);
    EXPECT_EQ(button.iBitmap, expected[i].bitmap);
    EXPECT_EQ(button.fsStyle, expected[i].style);
  }
  char text[64] = {};
  toolBar.SendMessage(TB_GETBUTTONTEXTA, ID_PROXY_TOGGLE, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "Enable");

  EXPECT_EQ(GetDlgCtrlID(toolBar.m_wndLogo.m_hWnd), 103);
  EXPECT_NE(toolBar.m_wndLogo.GetBitmap(), nullptr);
  EXPECT_EQ(GetDlgCtrlID(toolBar.m_wndProxyCombo.m_hWnd), 103);
  EXPECT_EQ(GetDlgCtrlID(toolBar.m_wndIpLabel.m_hWnd), 102);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(toolBar.m_wndIpLabel.m_hWnd, GWL_STYLE)), 0x50000020u);

  ASSERT_EQ(ItemCount(toolBar), 2);
  EXPECT_EQ(ItemText(toolBar, 0), "1.2.3.4:80- US");
  EXPECT_EQ(ItemText(toolBar, 1), "5.6.7.8:3128- DE");
  // (The list's 200-pixel width cannot be seen here: Wine's ComboBoxEx resets it at every resize.)
  EXPECT_NE(toolBar.m_wndProxyCombo.SendMessage(CBEM_GETIMAGELIST), 0);
}

TEST_F(BandToolBarTest, ToggleFaceFollowsEnabled) {
  for (DWORD enabled : {1u, 2u}) {
    EnabledSetting = enabled;
    CBandToolBar toolBar;
    ASSERT_TRUE(Create(toolBar));
    TBBUTTON button = {};
    toolBar.SendMessage(TB_GETBUTTON, kToggleButtonIndex, reinterpret_cast<LPARAM>(&button));
    EXPECT_EQ(button.iBitmap, 0);
    char text[64] = {};
    toolBar.SendMessage(TB_GETBUTTONTEXTA, ID_PROXY_TOGGLE, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Disable");
  }
  EnabledSetting = 0;
}

TEST_F(BandToolBarTest, LabelShowsTheProxyInUseOrTheLocalAddress) {
  testreg::SetString(HKEY_CURRENT_USER, kSettingsKey, "LocalIP", "stale");
  {
    CBandToolBar toolBar;
    ASSERT_TRUE(Create(toolBar));
    const std::string localIP = testreg::GetString(HKEY_CURRENT_USER, kSettingsKey, "LocalIP").value_or("");
    EXPECT_NE(localIP, "stale");
    EXPECT_EQ(localIP.substr(localIP.size() - 11), " [Local IP]");
    EXPECT_EQ(toolBar.m_wndIpLabel.GetWindowText(), LocalLabel());
  }
  testreg::SetString(HKEY_CURRENT_USER, kSettingsKey, "ActiveIP", "10.0.0.1:80 ");
  CBandToolBar toolBar;
  ASSERT_TRUE(Create(toolBar));
  EXPECT_EQ(toolBar.m_wndIpLabel.GetWindowText(), "Your IP is: 10.0.0.1:80 ");
}

TEST_F(BandToolBarTest, SizePlacesTheBoxAndTheLabelAfterTheToggle) {
  CBandToolBar toolBar;
  ASSERT_TRUE(Create(toolBar));
  toolBar.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(1100, 30));
  RECT toggle = {};
  toolBar.GetItemRect(kToggleButtonIndex, &toggle);
  RECT box, label;
  GetWindowRect(toolBar.m_wndProxyCombo.m_hWnd, &box);
  GetWindowRect(toolBar.m_wndIpLabel.m_hWnd, &label);
  MapWindowPoints(nullptr, toolBar.m_hWnd, reinterpret_cast<POINT*>(&box), 2);
  MapWindowPoints(nullptr, toolBar.m_hWnd, reinterpret_cast<POINT*>(&label), 2);
  EXPECT_EQ(box.left, toggle.right + 3);
  EXPECT_EQ(box.right - box.left, 300);
  EXPECT_EQ(label.left, toggle.right + 306);
  EXPECT_EQ(label.top, 4);
  EXPECT_EQ(label.bottom - label.top, 22);
}

TEST_F(BandToolBarTest, EnterInTheEditFieldInsertsAndSelectsTheText) {
  WriteList("1.2.3.4:80- US<br />");
  CBandToolBar toolBar;
  ASSERT_TRUE(Create(toolBar));
  const HWND edit = toolBar.m_wndProxyCombo.GetEditCtrl();
  SetFocus(edit);
  for (const char* typed : {"9.9.9.9:8080- typed", "", "9.9.9.9:8080- typed"}) {
    SetWindowTextA(edit, typed);
    MSG enter = {edit, WM_KEYUP, VK_RETURN, 0, 0, {0, 0}};
    EXPECT_EQ(toolBar.TranslateAcceleratorIO(&enter), S_OK);
    EXPECT_EQ(ItemText(toolBar, 0), typed);
    EXPECT_EQ(SendMessageA(toolBar.m_wndProxyCombo.GetComboBoxCtrl(), CB_GETCURSEL, 0, 0), 0);
  }
  EXPECT_EQ(ItemCount(toolBar), 4);

  for (WPARAM key : {VK_BACK, VK_DELETE, VK_HOME, VK_END, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN}) {
    MSG press = {edit, WM_KEYDOWN, key, 0, 0, {0, 0}};
    EXPECT_EQ(toolBar.TranslateAcceleratorIO(&press), S_OK) << key;
  }
  for (WPARAM key : {VK_TAB, VK_F5}) {
    MSG press = {edit, WM_KEYDOWN, key, 0, 0, {0, 0}};
    EXPECT_EQ(toolBar.TranslateAcceleratorIO(&press), S_FALSE) << key;
  }
  SetFocus(m_host.m_hWnd);
  MSG enter = {edit, WM_KEYUP, VK_RETURN, 0, 0, {0, 0}};
  EXPECT_EQ(toolBar.TranslateAcceleratorIO(&enter), S_FALSE) << "only while the box has the focus";
}

TEST_F(BandToolBarTest, ClosingTheListTestsAndAppliesTheChosenProxy) {
  LoopbackListener proxy;
  const std::string live = "127.0.0.1:" + std::to_string(proxy.Port());
  const std::string dead = "127.0.0.1:" + std::to_string(ClosedLoopbackPort());
  WriteList(live + "- Here<br />" + dead + "- There<br />" + "no dash<br />");
  testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "Enabled", 1);
  CBandToolBar toolBar;
  ASSERT_TRUE(Create(toolBar));

  {
    MessageBoxRecorder boxes;
    CloseList(toolBar, 0);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Press Ok to start testing selected proxy:\n" + live +
                                         "\nfrom Here. This may take a few seconds\nPlease wait...");
    EXPECT_EQ(boxes.Boxes()[0].owner, toolBar.m_wndProxyCombo.m_hWnd);
    EXPECT_EQ(boxes.Boxes()[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(boxes.Boxes()[1].text, "SUCCESS! Quillmask is connected to the chosen proxy ");
    EXPECT_EQ(testreg::GetString(HKEY_CURRENT_USER, kSettingsKey, "ActiveIP"), live);
    EXPECT_EQ(toolBar.m_wndIpLabel.GetWindowText(), "Your IP is: " + live);
  }
  {
    MessageBoxRecorder boxes;
    CloseList(toolBar, 1);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].type, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_EQ(testreg::GetString(HKEY_CURRENT_USER, kSettingsKey, "ActiveIP"), live) << "unchanged";
    EXPECT_EQ(toolBar.m_wndIpLabel.GetWindowText(), "Your IP is: " + live);
  }
  {
    MessageBoxRecorder boxes;
    CloseList(toolBar, 2);
    ASSERT_GE(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text,
              "Press Ok to start testing selected proxy:\nno dash\nfrom . This may take a few seconds\nPlease wait...");
  }
}

TEST_F(BandToolBarTest, ClosingTheListDoesNothingWhileSwitchedOffOrWithoutSelection) {
  WriteList("127.0.0.1:1- Here<br />");
  CBandToolBar toolBar;
  ASSERT_TRUE(Create(toolBar));
  const std::string label = toolBar.m_wndIpLabel.GetWindowText();
  for (std::optional<DWORD> enabled : {std::optional<DWORD>(), std::optional<DWORD>(0), std::optional<DWORD>(2)}) {
    if (enabled) testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "Enabled", *enabled);
    MessageBoxRecorder boxes;
    CloseList(toolBar, 0);
    EXPECT_TRUE(boxes.Boxes().empty());
  }
  testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "Enabled", 1);
  MessageBoxRecorder boxes;
  CloseList(toolBar, -1);
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(toolBar.m_wndIpLabel.GetWindowText(), label);
  EXPECT_FALSE(testreg::GetString(HKEY_CURRENT_USER, kSettingsKey, "ActiveIP"));
}

TEST_F(BandToolBarTest, StartingToEditTellsTheOwner) {
  CBandToolBar toolBar;
  ASSERT_TRUE(Create(toolBar));
  NMHDR begin = {toolBar.m_wndProxyCombo.m_hWnd, 103, static_cast<UINT>(CBEN_BEGINEDIT)};
  toolBar.SendMessage(WM_NOTIFY, 103, reinterpret_cast<LPARAM>(&begin));
  EXPECT_EQ(m_owner.focusChanges, std::vector<bool>{true});
}

// Each cycle shows and paints the toolbar, then destroys it either by itself or with the window it
// lives in (as a band's host window takes it along).
TEST_F(BandToolBarTest, CreatingAndDestroying500TimesLeavesNoGuiObjects) {
  WriteList("1.2.3.4:80- US<br />5.6.7.8:3128- DE<br />");
  const auto cycle = [&](int i) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, AfxPlainWindowClass(), nullptr, WS_CHILD | WS_VISIBLE, {0, 0, 1100, 30},
                                m_host.m_hWnd, 0));
    CBandToolBar toolBar;
    ASSERT_TRUE(toolBar.CreateToolBar({0, 0, 1100, 26}, &parent, &m_owner));
    toolBar.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(1100, 26));
    RedrawWindow(m_host.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (i % 2) parent.DestroyWindow();
  };
  for (int i = 0; i < 10; ++i) cycle(i);  // the first creations fill the system's own caches
  const GuiObjectCounts before = CountGuiObjects();
  for (int i = 0; i < 500; ++i) cycle(i);
  const GuiObjectCounts after = CountGuiObjects();
  EXPECT_GT(before.gdi, 0);
  EXPECT_EQ(after.gdi, before.gdi);
  EXPECT_EQ(after.user, before.user);
}

}  // namespace
