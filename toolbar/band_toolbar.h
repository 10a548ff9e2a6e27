// The toolbar the browser shows as the band: the logo, Help, Update proxy list and the
// Enable/Disable toggle, the proxy drop-down and the "Your IP is: " label, in one row.
#pragma once

#include <windows.h>

#include "broker/proxy_switching.h"
#include "framework/controls.h"
#include "toolbar/command_scope.h"
#include "toolbar/logo_static.h"
#include "toolbar/proxy_combo_box.h"
#include "toolbar/toolbar_owner.h"

// Toolbar command ids.
constexpr UINT ID_PROXY_TOGGLE = 32768;
constexpr UINT ID_HELP_PAGE = 32775;
constexpr UINT ID_UPDATE_PROXY_LIST = 32776;
// The toggle button's index.
constexpr int kToggleButtonIndex = 3;

class CBandToolBar : public CToolBarCtrl {
 public:
  ~CBandToolBar() override;

  // Creates the toolbar and all its controls in `rect` of `pParentWnd`; false when a step fails
  // (what was created stays until destruction).
  BOOL CreateToolBar(const RECT& rect, CWnd* pParentWnd, ToolBarOwner* pBand);
  // Keys for the proxy box's edit field while it has the focus; S_FALSE otherwise.
  virtual HRESULT TranslateAcceleratorIO(MSG* pMsg);
  // Brings the toggle and the label up to date with the toolbar's state as it is now: another
  // window, on another thread or in another process, may have switched meanwhile.
  void ShowProxyState();
  // Tests the chosen proxy (see TestProxy); `owner` owns the message box of an unavailable proxy.
  unsigned long TestChosenProxy(HWND owner, const ProxyChoice& choice);
  // Switches the chosen proxy on or over (see SwitchProxyOn), which may wait for the lock or the broker.
  SwitchResult SwitchChosenProxyOn(const ProxyChoice& choice, ProxySwitch kind);

  ToolBarOwner* m_pBand = nullptr;  // not owned; set once creation succeeded
  CProxyComboBox m_wndProxyCombo;
  CStatic m_wndIpLabel;
  CLogoStatic m_wndLogo;
  CBitmap m_bmpLogo;

  BEGIN_MSG_MAP(CBandToolBar)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
    REFLECTED_COMMAND_CODE_HANDLER(BN_CLICKED, OnButtonClicked)
  END_MSG_MAP()

 private:
  LRESULT OnSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  LRESULT OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  LRESULT OnSetCursor(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  LRESULT OnButtonClicked(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
  void ToggleProxy(const CommandScope& command);
  void OpenHelpPage();
  void RequestListRefresh();
  // Gives the toggle the look of a proxy in use ("Disable") or of none ("Enable").
  void SetToggleLook(bool proxyInUse);
  bool ToggleLooksInUse() const;
  void EnableChosenProxy(const CommandScope& command);
  // While the toolbar waits (for the proxy test, for the broker) it takes no other command: the
  // buttons and the proxy box are disabled, and it shows the wait cursor.
  template <typename Step>
  auto WhileBusy(Step step) {
    SetBusy(true);
    const auto result = step();
    if (m_hWnd) SetBusy(false);  // the browser may have closed the window meanwhile
    return result;
  }
  void SetBusy(bool busy);
  bool Busy() const { return !::IsWindowEnabled(m_wndProxyCombo.m_hWnd); }
  BOOL AddImages();
  BOOL AddButtons();
  RECT ItemRect(int index) const;
};
