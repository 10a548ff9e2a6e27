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

  // Start-up work. TRUE runs the message loop until WM_QUIT; FALSE ends the program at once, with
  // ExitInstance's result as its exit code.
  virtual BOOL InitInstance() = 0;
  // Shut-down work; its result is the exit code of a program whose InitInstance ended it (or the
  // module's, for a DLL's application object).
  virtual int ExitInstance() { return 0; }

  // The message loop; returns the exit code carried by WM_QUIT.
  int Run();
};

// The program's application object (the one most recently constructed), or nullptr.
CWinApp* AfxGetApp();
