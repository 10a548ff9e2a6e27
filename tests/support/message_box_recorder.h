// Takes the place of MessageBoxA while it lives and records every box the code would show; `whileShown`,
// when given, runs as each box is recorded: it sees the state the user would see.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct RecordedMessageBox {
  HWND owner;
  std::string text, caption;
  UINT type;
};

struct MessageBoxRecorder {
  explicit MessageBoxRecorder(std::function<void()> whileShown = {});
  ~MessageBoxRecorder();
  const std::vector<RecordedMessageBox>& Boxes() const;
};
