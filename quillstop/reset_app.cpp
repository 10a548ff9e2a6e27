#include "quillstop/reset_app.h"

#include "connection/connection_proxy.h"
#include "quillstop/poll_dialog.h"

ResetApp theApp;

BOOL ResetApp::InitInstance() {
  // The proxy goes off before the question, whatever the answer; if it could not be switched off
  // (out of memory) there is no point in asking.
  if (DisableConnectionProxy()) {
    PollDialog dialog;
    dialog.DoModal();
  }
  return FALSE;  // no message loop: the program ends here
}
