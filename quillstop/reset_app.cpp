#include "quillstop/reset_app.h"

#include <shellapi.h>

#include <cwchar>

#include "connection/connection_proxy.h"
#include "framework/message_box.h"
#include "quillstop/poll_dialog.h"

ResetApp theApp;

namespace {

// True when the only argument is exactly "/S", as the silent uninstaller passes it.
bool SilentSwitchGiven() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments) return false;
  const bool silent = count == 2 && std::wcscmp(arguments[1], L"/S") == 0;
  LocalFree(arguments);
  return silent;
}

}  // namespace

BOOL ResetApp::InitInstance() {
  const bool asksUser = !SilentSwitchGiven();  // nothing may wait for a person under /S
  // The proxy goes off before the question, whatever the answer. Out of memory there is no point
  // in asking; settings that could not be written the user is told of (unless nobody is there to
  // see it), and then asked.
  if (!DisableConnectionProxy()) {
    m_nExitCode = 1;
    if (GetLastError() == ERROR_NOT_ENOUGH_MEMORY || !asksUser) return FALSE;
    AfxMessageBox(nullptr, kProxyNotRemovedText, kMessageCaption, MB_OK | MB_ICONHAND);
  }
  if (asksUser) {
    PollDialog dialog;
    dialog.DoModal();
  }
  return FALSE;  // no message loop: the program ends here
}
