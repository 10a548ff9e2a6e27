#include "quillstop/reset_app.h"

#include <shellapi.h>

#include <cwchar>

#include "connection/connection_proxy.h"
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
  m_asksUser = !SilentSwitchGiven();
  // The proxy goes off before the question, whatever the answer; if it could not be switched off
  // (out of memory) there is no point in asking.
  if (DisableConnectionProxy() && m_asksUser) {
    PollDialog dialog;
    dialog.DoModal();
  }
  return FALSE;  // no message loop: the program ends here
}
