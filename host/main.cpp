// band_host.exe: a window standing in for the browser. It shows the Quillmask band in a row at its
// top and, under it, the last address the band asked the browser to open.
//   band_host.exe [--open-proxy-list]   (opens the band's drop-down list, as a click would, for a
//                                         screenshot of the filled list)
#include <windows.h>
#include <ole2.h>

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "framework/message_box.h"
#include "framework/wnd.h"
#include "host/band_host.h"

namespace {

constexpr char kTitle[] = "Quillmask band host";
constexpr RECT kFrameRect = {0, 0, 1100, 140};
constexpr int kMargin = 8;
constexpr int kLineHeight = 22;
constexpr UINT kNavigationLineId = 100;
constexpr char kNavigationPrefix[] = "Navigated to: ";

HRESULT LastErrorResult() {
  const DWORD error = GetLastError();
  return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

class HostFrame final : public CWnd {
 public:
  HostFrame() : m_band([this](const std::string& address) { ShowNavigation(address); }) {}

  // Creates the frame hidden, opens the band in it, then shows both.
  HRESULT Open(REFCLSID clsid) {
    if (!CreateEx(0, AfxPlainWindowClass(), kTitle, WS_OVERLAPPEDWINDOW, kFrameRect, nullptr, 0) ||
        !m_navigation.CreateEx(WS_EX_CLIENTEDGE, "EDIT", (std::string(kNavigationPrefix) + "(nothing yet)").c_str(),
                               WS_CHILD | WS_VISIBLE | ES_READONLY | ES_AUTOHSCROLL, {}, m_hWnd, kNavigationLineId)) {
      return LastErrorResult();
    }
    const HRESULT result = m_band.Open(m_hWnd, clsid);
    if (FAILED(result)) return result;
    PlaceNavigationLine();
    ShowWindow(m_hWnd, SW_SHOW);
    UpdateWindow(m_hWnd);
    return S_OK;
  }

  BandHost& Band() { return m_band; }

  // Drops the band's proxy list down, as the user's click on its arrow does.
  void OpenProxyList() const {
    const HWND box = FindWindowExA(m_band.BandWindow(), nullptr, WC_COMBOBOXEXA, nullptr);
    const HWND combo = reinterpret_cast<HWND>(::SendMessageA(box, CBEM_GETCOMBOCONTROL, 0, 0));
    if (combo) ::SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
  }

  BEGIN_MSG_MAP(HostFrame)
    MESSAGE_HANDLER(WM_SIZE, OnSize)
    MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
    MESSAGE_HANDLER(WM_CLOSE, OnClose)
  END_MSG_MAP()

 private:
  void ShowNavigation(const std::string& address) { m_navigation.SetWindowText(kNavigationPrefix + address); }

  void PlaceNavigationLine() {
    RECT client = {};
    if (!m_navigation.m_hWnd || !GetClientRect(m_hWnd, &client)) return;
    m_navigation.MoveWindow(kMargin, m_band.RowHeight() + kMargin, client.right - 2 * kMargin, kLineHeight);
  }

  LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&) {
    m_band.FitToFrame();
    PlaceNavigationLine();
    return 0;
  }

  // A click on the frame takes the keyboard to the band, as the browser's frame does.
  LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&) {
    m_band.UIActivate(TRUE);
    return 0;
  }

  LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&) {
    m_band.Close();
    PostQuitMessage(0);
    return 0;
  }

  BandHost m_band;
  CWnd m_navigation;  // a read-only edit line, so that the address can be copied
};

// Offers each key message to the band before the usual translation and dispatch.
int RunMessageLoop(BandHost& band) {
  MSG msg = {};
  BOOL got;
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    if (band.TranslateAccelerator(&msg) == S_OK) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return got == 0 ? static_cast<int>(msg.wParam) : 1;
}

void ShowFailure(HRESULT result) {
  char text[160];
  std::snprintf(text, sizeof(text), "The Quillmask band could not be opened (HRESULT 0x%08lX).",
                static_cast<unsigned long>(result));
  AfxMessageBox(nullptr, text, kTitle, MB_OK | MB_ICONHAND);
}

int RunHost(bool openProxyList) {
  HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(result)) {
    ShowFailure(result);
    return 1;
  }
  int exitCode = 1;
  {
    HostFrame frame;
    CLSID clsid;
    result = FindBandClsid(&clsid);
    if (SUCCEEDED(result)) result = frame.Open(clsid);
    if (SUCCEEDED(result)) {
      if (openProxyList) frame.OpenProxyList();
      exitCode = RunMessageLoop(frame.Band());
    } else {
      ShowFailure(result);
    }
  }  // the band, the frame and the COM objects are gone before COM is
  CoUninitialize();
  return exitCode;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  try {
    return RunHost(commandLine && std::strstr(commandLine, "--open-proxy-list"));
  } catch (...) {
    return 1;
  }
}
