// Takes the place of MessageBoxA while it lives and records every box the code would show.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct RecordedMessageBox {
  HWND owner;
  std::string text, caption;
  UINT type;
};

struct MessageBoxRecorder {
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  const std::vector<RecordedMessageBox>& Boxes() const;
};
