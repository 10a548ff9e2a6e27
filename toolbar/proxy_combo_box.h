// The proxy drop-down: filled from the proxy list while it is created; closing its list on an
// entry (while the proxy is switched on) tests that proxy and puts it in use.
#pragma once

#include <windows.h>

#include "framework/controls.h"
#include "proxylist/proxy_choice.h"
#include "toolbar/toolbar_owner.h"

class CBandToolBar;

class CProxyComboBox : public CComboBoxEx {
 public:
  // Keys typed into the edit field that the band handles itself; S_OK when handled.
  virtual HRESULT TranslateAcceleratorIO(MSG* pMsg);
  // The selected item cut into address, location, host and port; false when nothing is selected.
  bool GetSelectedChoice(ProxyChoice& choice) const;
  // The index of the selected item, or CB_ERR.
  int GetCurSel() const { return static_cast<int>(::SendMessageA(GetComboBoxCtrl(), CB_GETCURSEL, 0, 0)); }

  CBandToolBar* m_pToolBar = nullptr;  // the parent toolbar; not owned
  ToolBarOwner* m_pBand = nullptr;     // the owning band; not owned
  CImageList m_imageList;

  BEGIN_MSG_MAP(CProxyComboBox)
    MESSAGE_HANDLER(WM_CREATE, LoadProxyList)
    REFLECTED_NOTIFY_CODE_HANDLER(CBEN_BEGINEDIT, OnBeginEdit)
    REFLECTED_COMMAND_CODE_HANDLER(CBN_CLOSEUP, OnProxyCloseUp)
  END_MSG_MAP()

 private:
  LRESULT LoadProxyList(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  LRESULT OnBeginEdit(int idCtrl, LPNMHDR pnmh, BOOL& bHandled);
  LRESULT OnProxyCloseUp(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
};
