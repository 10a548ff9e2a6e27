// Message boxes of the project.
#pragma once

#include <windows.h>

// The caption of every message box the product shows.
constexpr char kMessageCaption[] = "Quillmask";

// Shows a modal message box owned by `owner` and returns the button that closed it.
inline int AfxMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  return MessageBoxA(owner, text, caption, type);
}
