// Takes the place of MessageBoxA while it lives and records every box the code would show.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct RecordedMessageBox {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};

class MessageBoxRecorder {
 public:
  // `whileShown`, when given, runs as each box is recorded: it sees the state the user would see.
  explicit MessageBoxRecorder(std::function<void()> whileShown = {});
  ~MessageBoxRecorder();
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
  const std::vector<RecordedMessageBox>& Boxes() const;
};
