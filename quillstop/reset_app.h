// quillstop: run by the uninstaller. Takes the toolbar's proxy out of the user's connections,
// then asks the poll question once and ends. Run as "quillstop.exe /S" (the silent uninstaller)
// it asks nothing and shows no window at all. It works for the user whose desktop it is (see
// RunAgainAsDesktopUser). Its exit code is 0 when no connection uses the toolbar's proxy any more,
// 1 when one still does or that could not be made sure of: the uninstaller then keeps the toolbar.
#pragma once

#include "framework/winapp.h"

class ResetApp : public CWinApp {
 public:
  BOOL InitInstance() override;
  int ExitInstance() override;

 private:
  bool m_proxyLeftOn = true;
};
