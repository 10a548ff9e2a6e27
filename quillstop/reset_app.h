// quillstop: run by the uninstaller. Switches the user's connections back to direct, then asks
// the poll question once and ends.
#pragma once

#include "framework/winapp.h"

class ResetApp : public CWinApp {
 public:
  BOOL InitInstance() override;
};
