#include "tests/support/message_box_recorder.h"

#include "framework/message_box.h"

namespace {
std::vector<RecordedMessageBox> g_boxes;

int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  g_boxes.push_back({owner, text ? text : "", caption ? caption : "", type});
  return IDOK;
}
}  // namespace

MessageBoxRecorder::MessageBoxRecorder() {
  g_boxes.clear();
  ReplaceMessageBox(RecordMessageBox);
}

MessageBoxRecorder::~MessageBoxRecorder() { ReplaceMessageBox(nullptr); }

const std::vector<RecordedMessageBox>& MessageBoxRecorder::Boxes() const { return g_boxes; }
