// quillstop: run by the uninstaller. Switches the user's connections back to direct, then asks
// the poll question once and ends. Run as "quillstop.exe /S" (the silent uninstaller) it asks
// nothing and shows no window at all.
#pragma once

#include "framework/winapp.h"

class ResetApp : public CWinApp {
 public:
  BOOL InitInstance() override;

  // False when run with /S: nothing may wait for a person, neither the question nor any message.
  bool AsksUser() const { return m_asksUser; }

 private:
  bool m_asksUser = true;
};
