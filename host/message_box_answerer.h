// The person in front of the host, for the tests and the benchmarks: answers the real message boxes
// shown on this thread (also by a DLL's code) as a press of OK would, noting what each said.
#pragma once
#include <windows.h>
#include <functional>
#include <string>

// A window's text, or with `className` its class's name.
inline std::string TextOf(HWND window, bool className = false) {
  char text[1024] = {};
  className ? GetClassNameA(window, text, sizeof(text)) : GetWindowTextA(window, text, sizeof(text));
  return text;
}

// One answered box as "<icon><text>|", the icon '!' for the stop sign, 'i' for information, '?' another or none.
inline std::string Box(char icon, const std::string& text) { return icon + text + "|"; }

class MessageBoxAnswerer {
 public:
  // `whileShown` runs as each box is shown, seeing what the user would see.
  explicit MessageBoxAnswerer(HWND owner, std::function<void()> whileShown = {})
      : m_hook(SetWindowsHookExA(WH_CBT, OnCbtEvent, nullptr, GetCurrentThreadId())), m_owner(owner),
        m_whileShown(std::move(whileShown)) {
    t_answerer = this;
  }
  ~MessageBoxAnswerer() { t_answerer = nullptr, UnhookWindowsHookEx(m_hook); }
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;
  bool Answering() const { return m_hook != nullptr; }
  const std::string& Said() const { return m_said; }  // each box as a Box()
  // The boxes, as Box()es, that were not captioned "Quillmask" or not owned by the owner given.
  const std::string& Astray() const { return m_astray; }

 private:
  // Each box is seen as it is activated (again after another window had the focus: answered once). Its
  // text is in a static child, its icon in an SS_ICON one.
  static LRESULT CALLBACK OnCbtEvent(int code, WPARAM wParam, LPARAM lParam) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && t_answerer && box != t_answerer->m_lastBox && TextOf(box, true) == "#32770") {
      t_answerer->m_lastBox = box;
      char icon = '?';
      std::string text;
      for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (TextOf(child, true) != "Static") continue;
        const auto sign = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        if ((GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) text = TextOf(child);
        else icon = sign == LoadIcon(nullptr, IDI_HAND) ? '!' : sign == LoadIcon(nullptr, IDI_INFORMATION) ? 'i' : '?';
      }
      t_answerer->m_said += Box(icon, text);
      if (TextOf(box) != "Quillmask" || GetWindow(box, GW_OWNER) != t_answerer->m_owner) {
        t_answerer->m_astray += Box(icon, text);
      }
      if (t_answerer->m_whileShown) t_answerer->m_whileShown();
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline thread_local MessageBoxAnswerer* t_answerer = nullptr;
  const HHOOK m_hook;
  const HWND m_owner;
  const std::function<void()> m_whileShown;
  HWND m_lastBox = nullptr;
  std::string m_said, m_astray;
};
