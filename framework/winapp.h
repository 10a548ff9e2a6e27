// The application object of a framework program: one global instance derived from CWinApp.
// The framework's WinMain hands control to it.
#pragma once

#include <windows.h>

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Start-up work. TRUE runs the message loop until WM_QUIT; FALSE ends the program at once.
  virtual BOOL InitInstance() = 0;
  // Shut-down work: a program's after InitInstance returned FALSE, its result the exit code; a
  // DLL's as it is unloaded.
  virtual int ExitInstance() { return 0; }

  // The message loop; returns the exit code carried by WM_QUIT.
  int Run();
};

// The program's application object (the one most recently constructed), or nullptr.
CWinApp* AfxGetApp();
