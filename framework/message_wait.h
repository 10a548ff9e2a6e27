// Waiting on a window's thread without freezing the windows of other threads that send to it.
#pragma once

#include <windows.h>

// Waits at most `timeoutMs` for `handle` to be signalled, meanwhile handling the messages other
// threads send to this thread's windows (only sent ones, as COM's own modal wait does: posted
// input stays queued). True when the handle was signalled.
bool WaitAnsweringSentMessages(HANDLE handle, DWORD timeoutMs);
