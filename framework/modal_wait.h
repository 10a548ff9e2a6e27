// Waiting on the browser's thread without freezing the browser: the thread goes on handling its
// messages while it waits, as a modal dialog's loop does, so that its windows keep answering the
// user and every other thread and process that sends them messages.
#pragma once

#include <windows.h>

enum class WhileWaiting {
  HandleAllMessages,   // as a modal dialog: input and posted messages are dispatched too
  HandleSentMessages,  // only what other threads send, as COM's own modal wait does: nothing posted
                       // (no input) reaches a window before its owner is ready for it
};

// True when `handle` is signalled within `timeoutMs` (INFINITE: no limit); a mutex is then owned by
// the thread, also one that its owner left without releasing it (abandoned). False when time runs out, the wait fails, or
// a WM_QUIT arrives (it is posted again, so that the thread's own loop ends as asked).
bool WaitModally(HANDLE handle, DWORD timeoutMs, WhileWaiting messages);
