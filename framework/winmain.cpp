// Entry point of a framework program: hands control to the application object.
#include <windows.h>

#include "framework/winapp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    CWinApp* app = AfxGetApp();
    if (!app || !app->InitInstance()) return 0;
    return app->Run();
  } catch (...) {
    return 1;
  }
}
