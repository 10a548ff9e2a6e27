// The proxy drop-down: filled from the proxy list while it is created; it tells its owner when its
// list closes on an entry and when the user starts to edit its text.
#pragma once

#include <windows.h>

#include <functional>

#include "framework/controls.h"
#include "proxylist/proxy_choice.h"
#include "proxylist/proxy_list_loader.h"

class CProxyComboBox : public CComboBoxEx {
 public:
  // The handler of the list closing on an entry, whether or not the selection changed: the entry
  // cut into address, location, host and port, and its index.
  using ProxyChosenHandler = std::function<void(const ProxyChoice& choice, int index)>;
  void SetProxyChosenHandler(ProxyChosenHandler handler) { m_proxyChosen = std::move(handler); }
  // The handler of the user starting to edit the box's text.
  void SetBeginEditHandler(std::function<void()> handler) { m_beginEdit = std::move(handler); }
  // The refresh step the list's loading gets when the box is created (see LoadProxyList).
  void SetListRefresh(DelegatedRefresh refresh) { m_listRefresh = refresh; }

  // The selected item cut into address, location, host and port; false when nothing is selected.
  bool GetSelectedChoice(ProxyChoice& choice) const;
  // Keys typed into the edit field that the band handles itself; S_OK when handled.
  virtual HRESULT TranslateAcceleratorIO(MSG* pMsg);
  // Selects the item at `index` again.
  void SetCurSel(int index) { ::SendMessageA(GetComboBoxCtrl(), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

  BEGIN_MSG_MAP(CProxyComboBox)
    MESSAGE_HANDLER(WM_CREATE, LoadProxyList)
    REFLECTED_NOTIFY_CODE_HANDLER(CBEN_BEGINEDIT, OnBeginEdit)
    REFLECTED_COMMAND_CODE_HANDLER(CBN_CLOSEUP, OnProxyCloseUp)
  END_MSG_MAP()

 private:
  LRESULT LoadProxyList(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  LRESULT OnBeginEdit(int idCtrl, LPNMHDR pnmh, BOOL& bHandled);
  LRESULT OnProxyCloseUp(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
  // The index of the selected item, or CB_ERR.
  int GetCurSel() const { return static_cast<int>(::SendMessageA(GetComboBoxCtrl(), CB_GETCURSEL, 0, 0)); }

  ProxyChosenHandler m_proxyChosen;
  std::function<void()> m_beginEdit;
  DelegatedRefresh m_listRefresh = nullptr;
  CImageList m_imageList;
};
