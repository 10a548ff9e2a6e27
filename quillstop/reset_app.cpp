#include "quillstop/reset_app.h"

#include <shellapi.h>

#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "connection/connection_proxy.h"
#include "framework/message_box.h"
#include "quillstop/desktop_user.h"
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
  if (const std::optional<bool> reset = RunAgainAsDesktopUser()) {
    m_proxyLeftOn = !*reset;
    return FALSE;
  }
  const bool asksUser = !SilentSwitchGiven();  // nothing may wait for a person under /S
  // The proxy goes off before the question, whatever the answer. Settings that could not be written
  // the user is told of (unless nobody is there to see it, or memory ran out); then, and while any
  // connection still uses the toolbar's proxy, there is nothing to ask about.
  const std::vector<std::string> toolbarProxies = ToolbarProxies();
  const SwitchResult result = DisableConnectionProxy();
  const bool switchedOff = result == SwitchResult::Done;
  if (!switchedOff && result != SwitchResult::OutOfMemory && asksUser) {
    AfxMessageBox(nullptr, kProxyNotRemovedText, kMessageCaption, MB_OK | MB_ICONHAND);
  }
  m_proxyLeftOn = !switchedOff || ToolbarProxyLeftIn(toolbarProxies);
  if (asksUser && !m_proxyLeftOn) {
    PollDialog dialog;
    dialog.DoModal();
  }
  return FALSE;  // no message loop: the program ends here
}

int ResetApp::ExitInstance() { return m_proxyLeftOn ? 1 : 0; }
