// A browser window with the band as a user meets it: its frame, what the band shows and says, and
// the user's clicks, picks and keys.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include <functional>
#include <optional>
#include <string>
#include "framework/wnd.h"
#include "host/band_host.h"
#include "host/message_box_answerer.h"
#include "res/resource.h"
#include "tests/support/install_folder.h"

inline constexpr UINT kToggle = ID_PROXY_TOGGLE, kHelp = ID_HELP_PAGE, kUpdate = ID_UPDATE_PROXY_LIST;

// The box that asks before testing the proxy at `address` from `from`.
inline std::string Asking(const std::string& address, const std::string& from) {
  return Box('i', "Press Ok to start testing selected proxy:\n" + address + "\nfrom " + from +
                      ". This may take a few seconds\nPlease wait...");
}
inline std::string Icons(const std::string& said) {  // of the Box()es said
  std::string icons;
  for (size_t at = 0; at < said.size(); at = said.find('|', at) + 1) icons += said[at];
  return icons;
}

class BrowserWindow {
 public:
  HWND ToolBar() const { return m_host.BandWindow(); }
  HWND ProxyBox() const { return FindWindowExA(ToolBar(), nullptr, "ComboBoxEx32", nullptr); }
  HWND Edit() const { return reinterpret_cast<HWND>(SendMessageA(ProxyBox(), CBEM_GETEDITCONTROL, 0, 0)); }
  HWND Combo() const { return reinterpret_cast<HWND>(SendMessageA(ProxyBox(), CBEM_GETCOMBOCONTROL, 0, 0)); }
  HRESULT Key(UINT message, WPARAM key) {
    MSG msg = {Edit(), message, key, 0, 0, {0, 0}};
    return m_host.TranslateAccelerator(&msg);
  }
  void Click(UINT command) const { ClickAt(ToolBar(), ButtonMiddle(command)); }
  LPARAM ButtonMiddle(UINT command) const {  // where a user's mouse clicks the button
    RECT button = {};
    SendMessageA(ToolBar(), TB_GETRECT, command, reinterpret_cast<LPARAM>(&button));
    return MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
  }
  // Sent with a time limit: a toolbar in another process that shows a box would not answer.
  static bool ClickAt(HWND toolBar, LPARAM at) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(toolBar, WM_LBUTTONDOWN, MK_LBUTTON, at, SMTO_NORMAL, 10000, &result) &&
           SendMessageTimeoutA(toolBar, WM_LBUTTONUP, 0, at, SMTO_NORMAL, 10000, &result);
  }
  // Selects item `index` (-1: none); `closeUp` then opens and closes the list, as a user's pick does.
  void Pick(int index, bool closeUp = true) const {
    SendMessageA(Combo(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (closeUp) SendMessageA(Combo(), CB_SHOWDROPDOWN, TRUE, 0), SendMessageA(Combo(), CB_SHOWDROPDOWN, FALSE, 0);
  }
  // The Box()es `action` made the band show; with `locked`, while WinINet's settings refuse writes.
  std::string Said(const std::function<void()>& action, bool locked = false, std::function<void()> whileShown = {}) {
    std::optional<testreg::ReadOnlyKey> lock;
    if (locked) lock.emplace(HKEY_CURRENT_USER, kInternetSettings);
    const MessageBoxAnswerer boxes(m_frame.m_hWnd, std::move(whileShown));
    EXPECT_TRUE(boxes.Answering());
    action();
    EXPECT_EQ(boxes.Astray(), "") << "boxes not captioned \"Quillmask\" or not owned by the frame";
    return boxes.Said();
  }
  std::string Items() const {
    std::string items;
    for (int i = 0; i < SendMessageA(Combo(), CB_GETCOUNT, 0, 0); ++i) {
      char text[512] = {};
      COMBOBOXEXITEMA item = {CBEIF_TEXT, i, text, sizeof(text), 0, 0, 0, 0, 0};
      SendMessageA(ProxyBox(), CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
      items += text + std::string("|");
    }
    return items;
  }
  std::string Face() const {  // the toggle's text and image
    char text[64] = {};
    SendMessageA(ToolBar(), TB_GETBUTTONTEXTA, kToggle, reinterpret_cast<LPARAM>(text));
    return text + (" " + std::to_string(SendMessageA(ToolBar(), TB_GETBITMAP, kToggle, 0)));
  }
  std::string Label() const { return LabelOf(ToolBar()); }
  static std::string LabelOf(HWND toolBar) { return TextOf(GetDlgItem(toolBar, IDC_IP_LABEL)); }
  // "<toggle> | <label> | <ActiveIP> <Enabled> | <the proxy in use, as WinINet stored it>"
  std::string State() const { return Face() + " | " + Label() + " | " + SwitchState() + " | " + ProxyInUse(); }
  // The State() of a window with `proxy` switched on; or with it off, the user's own proxy in use.
  static std::string On(const std::string& proxy) {
    return "Disable 0 | Your IP is: " + proxy + " | " + proxy + " 1 | " + proxy;
  }
  static std::string Off(const std::string& own = "direct") {
    return "Enable 1 | Your IP is: " + Stored(kSettingsKey, "LocalIP") + " |  0 | " + own;
  }
  // A LAN connection on the user's own proxy, or direct, the band's proxy switched off, COM started, the frame made.
  bool Start(const char* ownProxy = nullptr) {
    StartLanConnection(ownProxy);
    testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "Enabled", 0);
    return SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) && Create();
  }
  bool Create() {
    return m_frame.CreateEx(0, AfxPlainWindowClass(), "Quillmask band host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            {0, 0, 1100, 140}, nullptr, 0);
  }

  CWnd m_frame;
  BandHost m_host;
};
