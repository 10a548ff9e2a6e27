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

class CBandToolBar : public CToolBarCtrl {
 public:
  ~CBandToolBar() override;

  // Creates the toolbar and all its controls in `rect` of `pParentWnd`; false when a step fails
  // (what was created stays until destruction). Its switches and its list refresh go through
  // `writer`.
  BOOL CreateToolBar(const RECT& rect, CWnd* pParentWnd, ToolBarOwner* pBand, const BandWriter& writer);
  // Whether CreateToolBar succeeded.
  bool IsCreated() const { return m_pBand != nullptr; }
  // Keys for the proxy box's edit field while it has the focus; S_FALSE otherwise.
  virtual HRESULT TranslateAcceleratorIO(MSG* pMsg);
  // Puts the caret into the proxy box's edit field.
  void UIActivateIO();
  // S_OK while the proxy box or its edit field has the focus, or its list is open; S_FALSE otherwise.
  HRESULT HasFocusIO() const;

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
  // The proxy box's events.
  void OnProxyChosen(const ProxyChoice& choice, int index);
  void OnBeginEdit();
  // Brings the toggle and the label up to date with the toolbar's state as it is now: another
  // window, on another thread or in another process, may have switched meanwhile.
  void ShowProxyState();
  void ToggleProxy(const CommandScope& command);
  void EnableChosenProxy(const CommandScope& command);
  bool SwitchToChosenProxy(const CommandScope& command, HWND owner, const ProxyChoice& choice, ProxySwitch kind);
  void OpenHelpPage();
  void RequestListRefresh();
  // Gives the toggle the look of a proxy in use ("Disable") or of none ("Enable").
  void SetToggleLook(bool proxyInUse);
  bool ToggleLooksInUse() const;
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
  // The logo over the first slot, in `rect` of the toolbar's creation.
  BOOL AddLogo(const RECT& rect);
  RECT ItemRect(int index) const;

  ToolBarOwner* m_pBand = nullptr;  // not owned; set once creation succeeded
  BandWriter m_writer = {};         // given to CreateToolBar
  CProxyComboBox m_wndProxyCombo;
  CStatic m_wndIpLabel;
  CLogoStatic m_wndLogo;
  CBitmap m_bmpLogo;
};
