#include "tests/host/message_box_answerer.h"

#include <gtest/gtest.h>

namespace {

thread_local MessageBoxAnswerer* t_answerer = nullptr;

std::string Text(HWND window, bool className = false) {
  char text[1024] = {};
  className ? GetClassNameA(window, text, sizeof(text)) : GetWindowTextA(window, text, sizeof(text));
  return text;
}

// A box's text is in a static child; its icon in an SS_ICON one.
BOOL CALLBACK ReadStatic(HWND child, LPARAM lParam) {
  auto* const box = reinterpret_cast<AnsweredMessageBox*>(lParam);
  if (Text(child, true) != "Static") return TRUE;
  if ((GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) return box->text = Text(child), TRUE;
  const HICON icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
  box->icon = icon == LoadIcon(nullptr, IDI_HAND) ? '!' : icon == LoadIcon(nullptr, IDI_INFORMATION) ? 'i' : '?';
  return TRUE;
}

}  // namespace

MessageBoxAnswerer::MessageBoxAnswerer(std::function<void()> whileShown)
    : m_hook(SetWindowsHookExA(WH_CBT, OnCbtEvent, nullptr, GetCurrentThreadId())), m_whileShown(std::move(whileShown)) {
  EXPECT_NE(m_hook, nullptr);
  t_answerer = this;
}

MessageBoxAnswerer::~MessageBoxAnswerer() { t_answerer = nullptr, UnhookWindowsHookEx(m_hook); }

// Each box is seen as it is activated (again after another window had the focus: answered once).
LRESULT CALLBACK MessageBoxAnswerer::OnCbtEvent(int code, WPARAM wParam, LPARAM lParam) {
  const HWND box = reinterpret_cast<HWND>(wParam);
  if (code == HCBT_ACTIVATE && t_answerer && box != t_answerer->m_lastBox && Text(box, true) == "#32770") {
    t_answerer->m_lastBox = box;
    AnsweredMessageBox answered = {"", '?', Text(box), GetWindow(box, GW_OWNER)};
    EnumChildWindows(box, ReadStatic, reinterpret_cast<LPARAM>(&answered));
    t_answerer->m_boxes.push_back(answered);
    if (t_answerer->m_whileShown) t_answerer->m_whileShown();
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
