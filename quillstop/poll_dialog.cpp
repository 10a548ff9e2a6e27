#include "quillstop/poll_dialog.h"

#include <shellapi.h>

#include "build_config.h"
#include "framework/module.h"
#include "res/resource.h"

namespace {
constexpr char kPollPageAddress[] = "http://" QUILLMASK_POLL_HOST "/quillmask/poll.html";
}

PollDialog::PollDialog(HWND hWndParent)
    : CDialog(IDD_POLL, hWndParent), m_hIcon(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

BOOL PollDialog::OnInitDialog() {
  CDialog::OnInitDialog();

  SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  return TRUE;
}

void PollDialog::OnOK() {
  // Whether a browser really opened is not ours to know; the dialog closes either way.
  ShellExecuteA(nullptr, "open", kPollPageAddress, nullptr, nullptr, SW_SHOWNORMAL);
  CDialog::OnOK();
}

// Minimised, the dialog shows its icon centred; otherwise it paints as usual.
LRESULT PollDialog::OnPaint(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  if (!IsIconic(m_hWnd)) {
    bHandled = FALSE;
    return 0;
  }
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(m_hWnd, &ps);
  SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
  RECT client;
  GetClientRect(m_hWnd, &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(hdc, x, y, m_hIcon);
  EndPaint(m_hWnd, &ps);
  return 0;
}

LRESULT PollDialog::OnQueryDragIcon(UINT, WPARAM, LPARAM, BOOL&) { return reinterpret_cast<LRESULT>(m_hIcon); }
