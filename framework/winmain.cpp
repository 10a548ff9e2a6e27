// Entry point of a framework program: hands control to the application object.
#include <windows.h>

#include "framework/winapp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    CWinApp* app = AfxGetApp();
    if (!app) return 0;
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
  } catch (...) {
    return 1;
  }
}
