// A modal dialog built from a dialog template of the module's resources.
//
// OK and Cancel (the Enter and Escape keys, the close box) reach OnOK and OnCancel; other messages
// go through the class's message map (ProcessWindowMessage) and, when unhandled, to the dialog
// manager's default processing.
#pragma once

#include <windows.h>

class CDialog {
 public:
  explicit CDialog(UINT nIDTemplate, HWND hWndParent = nullptr);
  virtual ~CDialog() = default;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Runs the dialog until it is closed; the value given to EndDialog, or -1 if it could not run.
  INT_PTR DoModal();

  HWND m_hWnd = nullptr;

 protected:
  // TRUE lets the dialog manager put the focus on the first tab stop (the default button).
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

 private:
  static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

  UINT m_nIDTemplate;
  HWND m_hWndParent;
};
