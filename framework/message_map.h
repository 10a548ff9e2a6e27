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
#include <commctrl.h>

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

// Reflected notifications, as a parent hands them back to the child that sent them.
constexpr UINT OCM__BASE = WM_USER + 0x1c00;
constexpr UINT OCM_COMMAND = OCM__BASE + WM_COMMAND;
constexpr UINT OCM_NOTIFY = OCM__BASE + WM_NOTIFY;

// LRESULT OnX(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled), for the control's own
// WM_COMMAND with this notification code.
#define REFLECTED_COMMAND_CODE_HANDLER(code, func)                                                       \
  if (uMsg == OCM_COMMAND && HIWORD(wParam) == (code)) {                                                 \
    BOOL bHandled = TRUE;                                                                                \
    lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled);            \
    if (bHandled) return TRUE;                                                                           \
  }

// LRESULT OnX(int idCtrl, LPNMHDR pnmh, BOOL& bHandled), for the control's own WM_NOTIFY with this code.
#define REFLECTED_NOTIFY_CODE_HANDLER(cd, func)                                                          \
  if (uMsg == OCM_NOTIFY && reinterpret_cast<LPNMHDR>(lParam)->code == (cd)) {                           \
    BOOL bHandled = TRUE;                                                                                \
    lResult = func(static_cast<int>(wParam), reinterpret_cast<LPNMHDR>(lParam), bHandled);               \
    if (bHandled) return TRUE;                                                                           \
  }

#define END_MSG_MAP() \
  return FALSE;       \
  }
