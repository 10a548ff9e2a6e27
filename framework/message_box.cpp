#include "framework/message_box.h"

namespace {
MessageBoxFunc g_messageBox = MessageBoxA;
}

int AfxMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  return g_messageBox(owner, text, caption, type);
}

MessageBoxFunc ReplaceMessageBox(MessageBoxFunc func) {
  const MessageBoxFunc previous = g_messageBox;
  g_messageBox = func ? func : MessageBoxA;
  return previous;
}
