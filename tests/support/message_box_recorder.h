// Takes the place of MessageBoxA while it lives and records every box the code would show.
#pragma once

#include <windows.h>

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
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  const std::vector<RecordedMessageBox>& Boxes() const;
};
