#include "quillstop/reset_app.h"

#include "connection/connection_proxy.h"
#include "framework/message_box.h"
#include "quillstop/poll_dialog.h"

ResetApp theApp;

BOOL ResetApp::InitInstance() {
  // The proxy goes off before the question, whatever the answer. Out of memory there is no point
  // in asking; settings that could not be written the user is told of, and then asked.
  if (!DisableConnectionProxy()) {
    if (GetLastError() == ERROR_NOT_ENOUGH_MEMORY) return FALSE;
    AfxMessageBox(nullptr, kProxyNotRemovedText, kMessageCaption, MB_OK | MB_ICONHAND);
  }
  PollDialog dialog;
  dialog.DoModal();
  return FALSE;  // no message loop: the program ends here
}
