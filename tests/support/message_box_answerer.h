// Answers the real message boxes shown on this thread (also by a DLL's code) as a user pressing OK would,
// recording what each said; `whileShown` runs as each box is shown, seeing what the user would see.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

// A window's text, or with `className` its class's name.
inline std::string TextOf(HWND window, bool className = false) {
  char text[1024] = {};
  className ? GetClassNameA(window, text, sizeof(text)) : GetWindowTextA(window, text, sizeof(text));
  return text;
}

struct AnsweredMessageBox {
  std::string text;
  char icon;  // '!' the stop sign, 'i' information, '?' another or none
  std::string caption;
  HWND owner;
};

class MessageBoxAnswerer {
 public:
  explicit MessageBoxAnswerer(std::function<void()> whileShown = {})
      : m_hook(SetWindowsHookExA(WH_CBT, OnCbtEvent, nullptr, GetCurrentThreadId())), m_whileShown(std::move(whileShown)) {
    EXPECT_NE(m_hook, nullptr);
    t_answerer = this;
  }
  ~MessageBoxAnswerer() { t_answerer = nullptr, UnhookWindowsHookEx(m_hook); }
  const std::vector<AnsweredMessageBox>& Boxes() const { return m_boxes; }

 private:
  // A box's text is in a static child, its icon in an SS_ICON one.
  static BOOL CALLBACK ReadStatic(HWND child, LPARAM lParam) {
    auto& box = *reinterpret_cast<AnsweredMessageBox*>(lParam);
    if (TextOf(child, true) != "Static") return TRUE;
    const auto icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    if ((GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) box.text = TextOf(child);
    else box.icon = icon == LoadIcon(nullptr, IDI_HAND) ? '!' : icon == LoadIcon(nullptr, IDI_INFORMATION) ? 'i' : '?';
    return TRUE;
  }
  // Each box is seen as it is activated (again after another window had the focus: answered once).
  static LRESULT CALLBACK OnCbtEvent(int code, WPARAM wParam, LPARAM lParam) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && t_answerer && box != t_answerer->m_lastBox && TextOf(box, true) == "#32770") {
      t_answerer->m_lastBox = box;
      auto& answered = t_answerer->m_boxes.emplace_back(AnsweredMessageBox{"", '?', TextOf(box), GetWindow(box, GW_OWNER)});
      EnumChildWindows(box, ReadStatic, reinterpret_cast<LPARAM>(&answered));
      if (t_answerer->m_whileShown) t_answerer->m_whileShown();
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline thread_local MessageBoxAnswerer* t_answerer = nullptr;
  const HHOOK m_hook;
  const std::function<void()> m_whileShown;
  HWND m_lastBox = nullptr;
  std::vector<AnsweredMessageBox> m_boxes;
};
