#include "tests/support/message_box_recorder.h"

#include "framework/message_box.h"

namespace {
std::vector<RecordedMessageBox> g_boxes;
std::function<void()> g_whileShown;

int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  g_boxes.push_back({owner, text ? text : "", caption ? caption : "", type});
  if (g_whileShown) g_whileShown();
  return IDOK;
}
}  // namespace

MessageBoxRecorder::MessageBoxRecorder(std::function<void()> whileShown) {
  g_boxes.clear();
  g_whileShown = std::move(whileShown);
  ReplaceMessageBox(RecordMessageBox);
}

MessageBoxRecorder::~MessageBoxRecorder() { ReplaceMessageBox(nullptr), g_whileShown = nullptr; }

const std::vector<RecordedMessageBox>& MessageBoxRecorder::Boxes() const { return g_boxes; }
