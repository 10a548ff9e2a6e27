#include "framework/dialog.h"

#include "framework/module.h"

namespace {

// Messages whose result a dialog procedure returns directly instead of through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT uMsg) {
  switch (uMsg) {
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
      return true;
    default:
      return false;
  }
}

}  // namespace

CDialog::CDialog(UINT nIDTemplate, HWND hWndParent) : m_nIDTemplate(nIDTemplate), m_hWndParent(hWndParent) {}

INT_PTR CDialog::DoModal() {
  return DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), m_hWndParent, DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(m_hWnd, IDOK); }

void CDialog::OnCancel() { EndDialog(m_hWnd, IDCANCEL); }

BOOL CDialog::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) { return FALSE; }

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (uMsg == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
    dialog->m_hWnd = hWnd;
  }
  auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
  if (!dialog) return FALSE;  // messages before WM_INITDIALOG (WM_SETFONT) need nothing of us

  // No C++ exception may cross into the dialog manager.
  try {
    const INT_PTR result = dialog->HandleMessage(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) dialog->m_hWnd = nullptr;
    return result;
  } catch (...) {
    return FALSE;
  }
}

INT_PTR CDialog::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED || lParam == 0) {
        if (LOWORD(wParam) == IDOK) {
          OnOK();
          return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
          OnCancel();
          return TRUE;
        }
      }
      break;
    default:
      break;
  }

  LRESULT lResult = 0;
  if (!ProcessWindowMessage(m_hWnd, uMsg, wParam, lParam, lResult)) return FALSE;
  if (ReturnsResultDirectly(uMsg)) return lResult;
  SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, lResult);
  return TRUE;
}
