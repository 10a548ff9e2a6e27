// Entry point of a framework DLL: starts and ends the module's application object.
#include <windows.h>

#include "framework/winapp.h"

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID) {
  try {
    CWinApp* const app = AfxGetApp();
    if (reason == DLL_PROCESS_ATTACH) {
      DisableThreadLibraryCalls(hInstance);
      if (!app) return FALSE;
      if (!app->InitInstance()) {
        app->ExitInstance();
        return FALSE;  // the DLL refuses to load
      }
    } else if (reason == DLL_PROCESS_DETACH && app) {
      app->ExitInstance();
    }
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}
