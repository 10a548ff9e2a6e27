// Answers the real message boxes shown on this thread, as a user pressing OK would, and records
// what each one said. Needed where the boxes come from code in a DLL, beyond the test's own seam.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct AnsweredMessageBox {
  std::string text;
  bool error;  // shown with the stop sign (IDI_HAND) rather than another icon
};

class MessageBoxAnswerer {
 public:
  MessageBoxAnswerer();
  ~MessageBoxAnswerer();
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  const std::vector<AnsweredMessageBox>& Boxes() const { return m_boxes; }

 private:
  static LRESULT CALLBACK OnCbtEvent(int code, WPARAM wParam, LPARAM lParam);
  void Answer(HWND box);

  HHOOK m_hook;
  HWND m_lastBox = nullptr;
  std::vector<AnsweredMessageBox> m_boxes;
};
