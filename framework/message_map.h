// Message maps for the framework's window classes, in the manner of WTL:
//
//   BEGIN_MSG_MAP(CMyDialog)
//     MESSAGE_HANDLER(WM_PAINT, OnPaint)
//   END_MSG_MAP()
//
// defines ProcessWindowMessage, which offers each message to its handlers in order. A handler has
// the form  LRESULT OnX(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)  and clears
// bHandled to let the message go on to the default processing.
#pragma once

#include <windows.h>

#define BEGIN_MSG_MAP(theClass)                                                                              \
 public:                                                                                                     \
  BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override { \
    (void)hWnd;                                                                                              \
    (void)uMsg;                                                                                              \
    (void)wParam;                                                                                            \
    (void)lParam;                                                                                            \
    (void)lResult;

#define MESSAGE_HANDLER(msg, func)                             \
  if (uMsg == (msg)) {                                         \
    BOOL bHandled = TRUE;                                      \
    lResult = func(uMsg, wParam, lParam, bHandled);            \
    if (bHandled) return TRUE;                                 \
  }

#define END_MSG_MAP() \
  return FALSE;       \
  }
