// The question quillstop asks after switching the proxy off: take part in the online poll?
// "Yes" opens the poll page in the default browser; "No", Escape and the close box open nothing.
#pragma once

#include <windows.h>

#include "framework/dialog.h"
#include "framework/message_map.h"

class PollDialog : public CDialog {
 public:
  explicit PollDialog(HWND hWndParent = nullptr);

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

  BEGIN_MSG_MAP(PollDialog)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_QUERYDRAGICON, OnQueryDragIcon)
  END_MSG_MAP()

 private:
  LRESULT OnPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  LRESULT OnQueryDragIcon(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

  HICON m_hIcon;  // shared icon resource: not destroyed
};
