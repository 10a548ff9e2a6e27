// Message boxes of the project.
#pragma once

#include <windows.h>

// Shows a modal message box owned by `owner` and returns the button that closed it.
inline int AfxMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  return MessageBoxA(owner, text, caption, type);
}
