// The one door through which the connection writer hands option lists to WinINet. It defaults to
// InternetSetOptionA; tests put a recorder in its place to see what would be passed.
#pragma once

#include <windows.h>
#include <wininet.h>

using InternetSetOptionFunc = BOOL(WINAPI*)(HINTERNET, DWORD, LPVOID, DWORD);

// Installs `func` (nullptr restores InternetSetOptionA) and returns the one it replaces.
InternetSetOptionFunc ReplaceInternetSetOption(InternetSetOptionFunc func);
