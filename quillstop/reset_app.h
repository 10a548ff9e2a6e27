// quillstop: run by the uninstaller. Takes the toolbar's proxy out of the user's connections,
// then asks the poll question once and ends. Run as "quillstop.exe /S" (the silent uninstaller)
// it asks nothing and shows no window at all.
#pragma once

#include "framework/winapp.h"

class ResetApp : public CWinApp {
 public:
  BOOL InitInstance() override;
};
