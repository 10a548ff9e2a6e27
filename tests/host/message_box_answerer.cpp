#include "tests/host/message_box_answerer.h"

#include <gtest/gtest.h>

namespace {

thread_local MessageBoxAnswerer* t_answerer = nullptr;

std::string ClassName(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof(name));
  return name;
}

BOOL CALLBACK ReadStatic(HWND child, LPARAM lParam) {
  auto* const box = reinterpret_cast<AnsweredMessageBox*>(lParam);
  if (ClassName(child) != "Static") return TRUE;
  if ((GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    box->error = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0)) == LoadIcon(nullptr, IDI_HAND);
  } else {
    char text[1024] = {};
    GetWindowTextA(child, text, sizeof(text));
    box->text = text;
  }
  return TRUE;
}

}  // namespace

MessageBoxAnswerer::MessageBoxAnswerer()
    : m_hook(SetWindowsHookExA(WH_CBT, OnCbtEvent, nullptr, GetCurrentThreadId())) {
  EXPECT_NE(m_hook, nullptr);
  t_answerer = this;
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
  t_answerer = nullptr;
  if (m_hook) UnhookWindowsHookEx(m_hook);
}

LRESULT CALLBACK MessageBoxAnswerer::OnCbtEvent(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && t_answerer) {
    const HWND window = reinterpret_cast<HWND>(wParam);
    try {
      if (ClassName(window) == "#32770") t_answerer->Answer(window);
    } catch (...) {
      ADD_FAILURE() << "a message box could not be recorded";
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageBoxAnswerer::Answer(HWND box) {
  if (box == m_lastBox) return;  // activated again, already answered
  m_lastBox = box;
  AnsweredMessageBox answered = {"", false};
  EnumChildWindows(box, ReadStatic, reinterpret_cast<LPARAM>(&answered));
  m_boxes.push_back(answered);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}
