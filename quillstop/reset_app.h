// quillstop: run by the uninstaller. Takes the toolbar's proxy out of the user's connections,
// then asks the poll question once and ends. Run as "quillstop.exe /S" (the silent uninstaller)
// it asks nothing and shows no window at all. It exits with 1 when the proxy could not be switched
// off (the settings refused the write, or another switch held the lock throughout), else 0.
#pragma once

#include "framework/winapp.h"

class ResetApp : public CWinApp {
 public:
  BOOL InitInstance() override;
  int ExitInstance() override { return m_nExitCode; }

 private:
  int m_nExitCode = 0;
};
