#include "framework/wnd.h"

#include <unordered_map>

#include "framework/module.h"

namespace {

constexpr char kPlainWindowClass[] = "QuillmaskPlainWnd";

// The wrapper of each attached window, kept in the process (as MFC's handle map): every message
// looks its wrapper up, and a window property would cost a call into the window server each time.
class WrapperMap {
 public:
  // False when memory ran out.
  bool Add(HWND hWnd, CWnd* wnd) noexcept {
    AcquireSRWLockExclusive(&m_lock);
    bool added = true;
    try {
      m_wrappers[hWnd] = wnd;
    } catch (...) {
      added = false;
    }
    ReleaseSRWLockExclusive(&m_lock);
    return added;
  }
  void Remove(HWND hWnd) {
    AcquireSRWLockExclusive(&m_lock);
    m_wrappers.erase(hWnd);
    ReleaseSRWLockExclusive(&m_lock);
  }
  CWnd* Find(HWND hWnd) {
    AcquireSRWLockShared(&m_lock);
    const auto found = m_wrappers.find(hWnd);
    CWnd* const wnd = found == m_wrappers.end() ? nullptr : found->second;
    ReleaseSRWLockShared(&m_lock);
    return wnd;
  }

 private:
  SRWLOCK m_lock = SRWLOCK_INIT;
  std::unordered_map<HWND, CWnd*> m_wrappers;
};

WrapperMap g_wrappers;

// The wrapper whose window this thread is creating, until the window's first creation hook. A slot
// of the system's own, not thread_local: the compiler's thread-local storage runs on a threads
// library linked into this module, which gives every thread that uses it handles of its own (an
// event, a thread, semaphores) and leaves them behind each time the browser unloads the module.
class CreatingWrapper {
 public:
  CreatingWrapper() : m_slot(TlsAlloc()) {}
  ~CreatingWrapper() {
    if (m_slot != TLS_OUT_OF_INDEXES) TlsFree(m_slot);
  }
  CreatingWrapper(const CreatingWrapper&) = delete;
  CreatingWrapper& operator=(const CreatingWrapper&) = delete;

  // False when there is no slot.
  bool Set(CWnd* wnd) { return m_slot != TLS_OUT_OF_INDEXES && TlsSetValue(m_slot, wnd); }
  CWnd* Take() {
    CWnd* const wnd = m_slot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<CWnd*>(TlsGetValue(m_slot));
    if (wnd) TlsSetValue(m_slot, nullptr);
    return wnd;
  }

 private:
  const DWORD m_slot;
};

CreatingWrapper g_creating;

}  // namespace

CWnd::~CWnd() {
  if (m_hWnd) ::DestroyWindow(m_hWnd);
  for (Handling* handling = m_pHandling; handling; handling = handling->outer) handling->wrapperDeleted = true;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* className, const char* text, DWORD dwStyle, const RECT& rect,
                    HWND hWndParent, UINT nID) {
  if (m_hWnd) return FALSE;
  if (!g_creating.Set(nullptr)) return FALSE;
  const HHOOK hook = SetWindowsHookExA(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
  if (!hook) return FALSE;
  g_creating.Set(this);
  const HWND hWnd = CreateWindowExA(dwExStyle, className, text, dwStyle, rect.left, rect.top, rect.right - rect.left,
                                    rect.bottom - rect.top, hWndParent,
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), AfxGetResourceHandle(), nullptr);
  g_creating.Take();  // the hook took it, or the window was never made
  UnhookWindowsHookEx(hook);
  return hWnd != nullptr && m_hWnd == hWnd;
}

BOOL CWnd::DestroyWindow() { return m_hWnd && ::DestroyWindow(m_hWnd); }

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
  return hWnd ? g_wrappers.Find(hWnd) : nullptr;
}

std::string CWnd::GetWindowText() const {
  std::string text(static_cast<size_t>(::GetWindowTextLengthA(m_hWnd)) + 1, '\0');
  text.resize(static_cast<size_t>(::GetWindowTextA(m_hWnd, &text[0], static_cast<int>(text.size()))));
  return text;
}

LRESULT CWnd::Default() {
  return DefWindowProc(m_currentMsg.message, m_currentMsg.wParam, m_currentMsg.lParam);
}

BOOL CWnd::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) { return FALSE; }

LRESULT CWnd::DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return CallWindowProcA(m_pfnSuper, m_hWnd, uMsg, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK CWnd::CreationHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    // Taken once: windows the control creates for itself stay unwrapped.
    if (CWnd* const wnd = g_creating.Take()) wnd->Attach(reinterpret_cast<HWND>(wParam));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CWnd::Attach(HWND hWnd) {
  if (!g_wrappers.Add(hWnd, this)) return;  // left unwrapped: CreateEx reports the failure
  m_hWnd = hWnd;
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WindowProc)));
}

void CWnd::Detach() {
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC)) == &CWnd::WindowProc) {
    SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  }
  g_wrappers.Remove(m_hWnd);
  m_hWnd = nullptr;
  m_pfnSuper = nullptr;
}

LRESULT CALLBACK CWnd::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  CWnd* const wnd = FromHandlePermanent(hWnd);
  if (!wnd) return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);

  const MSG outer = wnd->m_currentMsg;  // messages nest: a handler may send another
  wnd->m_currentMsg = {hWnd, uMsg, wParam, lParam, 0, {0, 0}};
  Handling handling = {wnd->m_pHandling, false};
  wnd->m_pHandling = &handling;
  LRESULT lResult = 0;
  // No C++ exception may cross into the window manager: the host is the user's browser.
  try {
    lResult = wnd->Dispatch(uMsg, wParam, lParam);
  } catch (...) {
    lResult = 0;
  }
  if (handling.wrapperDeleted) return lResult;
  wnd->m_pHandling = handling.outer;
  if (uMsg == WM_NCDESTROY) {
    wnd->Detach();
  } else {
    wnd->m_currentMsg = outer;
  }
  return lResult;
}

LRESULT CWnd::Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  LRESULT lResult = 0;
  if ((uMsg == WM_COMMAND || uMsg == WM_NOTIFY) && ReflectToChild(uMsg, wParam, lParam, lResult)) return lResult;
  if (ProcessWindowMessage(m_hWnd, uMsg, wParam, lParam, lResult)) return lResult;
  return DefWindowProc(uMsg, wParam, lParam);
}

bool CWnd::ReflectToChild(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
  HWND child = nullptr;
  if (uMsg == WM_COMMAND) {
    child = reinterpret_cast<HWND>(lParam);
  } else if (lParam) {
    child = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
  }
  CWnd* const wnd = child != m_hWnd ? FromHandlePermanent(child) : nullptr;
  return wnd && wnd->ProcessWindowMessage(child, OCM__BASE + uMsg, wParam, lParam, lResult);
}

const char* AfxPlainWindowClass() {
  WNDCLASSA windowClass = {};
  if (!GetClassInfoA(AfxGetResourceHandle(), kPlainWindowClass, &windowClass)) {
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = AfxGetResourceHandle();
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kPlainWindowClass;
    RegisterClassA(&windowClass);
  }
  return kPlainWindowClass;
}
