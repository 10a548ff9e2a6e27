#include "framework/modal_wait.h"

namespace {

// Dispatches what is waiting; false when a WM_QUIT was among it.
bool DispatchWaiting(WhileWaiting messages) {
  MSG msg;
  if (messages == WhileWaiting::HandleSentMessages) {
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // sent messages are handled inside
    return true;
  }
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

}  // namespace

bool WaitModally(HANDLE handle, DWORD timeoutMs, WhileWaiting messages) {
  const DWORD wakeMask = messages == WhileWaiting::HandleAllMessages ? QS_ALLINPUT : QS_SENDMESSAGE;
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    const DWORD left = timeoutMs == INFINITE ? INFINITE : elapsed < timeoutMs ? timeoutMs - elapsed : 0;
    const DWORD waited = MsgWaitForMultipleObjectsEx(1, &handle, left, wakeMask, MWMO_INPUTAVAILABLE);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED_0) return true;
    if (waited != WAIT_OBJECT_0 + 1 || !DispatchWaiting(messages)) return false;
    // A steady stream of messages does not stretch the bound.
    if (timeoutMs != INFINITE && GetTickCount() - start >= timeoutMs) {
      const DWORD last = WaitForSingleObject(handle, 0);
      return last == WAIT_OBJECT_0 || last == WAIT_ABANDONED;
    }
  }
}
