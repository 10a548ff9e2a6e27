// Answers the real message boxes shown on this thread as a user pressing OK would, and records what each
// said: for boxes shown by code in a DLL, beyond the test's own seam. `whileShown`, when given, runs as
// each box is shown: it sees the state the user would see.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct AnsweredMessageBox {
  std::string text;
  char icon;  // '!' the stop sign, 'i' information, '?' another or none
  std::string caption;
  HWND owner;
};

class MessageBoxAnswerer {
 public:
  explicit MessageBoxAnswerer(std::function<void()> whileShown = {});
  ~MessageBoxAnswerer();
  const std::vector<AnsweredMessageBox>& Boxes() const { return m_boxes; }

 private:
  static LRESULT CALLBACK OnCbtEvent(int code, WPARAM wParam, LPARAM lParam);
  HHOOK m_hook;
  std::function<void()> m_whileShown;
  HWND m_lastBox = nullptr;
  std::vector<AnsweredMessageBox> m_boxes;
};
