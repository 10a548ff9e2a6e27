// A toolbar made for each test in a window on the test display, with its own settings key and
// list folder; the owner records what the toolbar tells it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "connection/internet_option_seam.h"
#include "tests/support/combo_box_items.h"
#include "tests/support/install_folder.h"
#include "tests/support/registry.h"
#include "toolbar/band_toolbar.h"


class RecordingOwner final : public ToolBarOwner {
 public:
  void FocusChange(bool bFocus) override { focusChanges.push_back(bFocus); }
  IWebBrowser2* WebBrowser() const override { return nullptr; }
  std::vector<bool> focusChanges;
};

inline BOOL WINAPI IgnoreInternetSetOption(HINTERNET, DWORD, LPVOID, DWORD) { return TRUE; }

class BandToolBarTest : public testing::Test {
 protected:
  void SetUp() override {
    ReplaceInternetSetOption(IgnoreInternetSetOption);
    ASSERT_TRUE(m_host.CreateEx(0, AfxPlainWindowClass(), "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                {0, 0, 1100, 60}, nullptr, 0));
  }
  void TearDown() override { ReplaceInternetSetOption(nullptr); }

  void WriteList(const std::string& text) { m_folder.WriteList(text); }

  bool Create(CBandToolBar& toolBar) { return toolBar.CreateToolBar({0, 0, 1100, 26}, &m_host, &m_owner); }

  static std::string ItemText(CBandToolBar& toolBar, int index) {
    return ComboBoxExItemText(toolBar.m_wndProxyCombo.m_hWnd, index);
  }

  static int ItemCount(CBandToolBar& toolBar) {
    return static_cast<int>(SendMessageA(toolBar.m_wndProxyCombo.GetComboBoxCtrl(), CB_GETCOUNT, 0, 0));
  }

  InstallFolder m_folder{"toolbar"};
  CWnd m_host;
  RecordingOwner m_owner;
};

inline std::string LocalLabel() {
  return "Your IP is: " + testreg::GetString(HKEY_CURRENT_USER, kSettingsKey, "LocalIP").value_or("?");
}

// Opening and closing the list sends CBN_CLOSEUP to the toolbar, which reflects it to the box.
inline void CloseList(CBandToolBar& toolBar, int select) {
  const HWND combo = toolBar.m_wndProxyCombo.GetComboBoxCtrl();
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
  SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
  SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
}
