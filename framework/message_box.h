// Message boxes of the project go through here. It defaults to MessageBoxA; tests put a recorder
// in its place to see what the user would be shown without a modal loop.
#pragma once

#include <windows.h>

// The caption of every message box the product shows.
constexpr char kMessageCaption[] = "Quillmask";

using MessageBoxFunc = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);

// Shows a modal message box owned by `owner` and returns the button that closed it.
int AfxMessageBox(HWND owner, const char* text, const char* caption, UINT type);

// Installs `func` (nullptr restores MessageBoxA) and returns the one it replaces.
MessageBoxFunc ReplaceMessageBox(MessageBoxFunc func);
