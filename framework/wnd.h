// CWnd: a C++ object attached to a window handle, in the manner of WTL's thin wrappers. The state
// lives in the HWND; the object routes the window's messages to its message map and hands what
// the map does not handle to the window class's own procedure.
//
// A wrapper may be deleted while it handles a message (a modal wait inside a handler lets its owner
// go): nothing of it is touched afterwards.
//
// Windows are attached while they are created (before WM_NCCREATE), so a wrapper of a standard
// control class receives the control's own WM_CREATE. A parent reflects each child's WM_COMMAND
// and WM_NOTIFY back to the child's wrapper as OCM_COMMAND / OCM_NOTIFY first, so every control
// handles its own clicks, selections and edits; what the child does not handle, the parent does.
#pragma once

#include <windows.h>

#include <string>

#include "framework/message_map.h"

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();  // destroys the window if it still exists
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // Creates a window of `className` attached to this object. False if it could not be created.
  BOOL CreateEx(DWORD dwExStyle, const char* className, const char* text, DWORD dwStyle, const RECT& rect,
                HWND hWndParent, UINT nID);
  BOOL DestroyWindow();

  HWND GetSafeHwnd() const { return m_hWnd; }
  // The wrapper attached to `hWnd`, or nullptr.
  static CWnd* FromHandlePermanent(HWND hWnd);

  LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(m_hWnd, uMsg, wParam, lParam);
  }
  BOOL SetWindowText(const std::string& text) { return ::SetWindowTextA(m_hWnd, text.c_str()); }
  std::string GetWindowText() const;
  BOOL MoveWindow(int x, int y, int width, int height, BOOL bRepaint = TRUE) {
    return ::MoveWindow(m_hWnd, x, y, width, height, bRepaint);
  }

  // The message being handled, and its processing by the window class's own procedure.
  const MSG* GetCurrentMessage() const { return &m_currentMsg; }
  LRESULT Default();

  HWND m_hWnd = nullptr;

 protected:
  virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
  LRESULT DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);
  void Attach(HWND hWnd);
  void Detach();
  LRESULT Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam);
  bool ReflectToChild(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

  // The messages this wrapper is handling, innermost first: a handler may wait modally, and the
  // wrapper may be deleted before the handlers outside it return.
  struct Handling {
    Handling* outer;
    bool wrapperDeleted;
  };

  WNDPROC m_pfnSuper = nullptr;  // the window class's own procedure
  MSG m_currentMsg = {};
  Handling* m_pHandling = nullptr;
};

// The framework's plain window class: a window with no behaviour of its own (a host window).
const char* AfxPlainWindowClass();
