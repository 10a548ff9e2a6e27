// The doors through which the connection code hands option lists to WinINet and reads them back.
// They default to InternetSetOptionA and InternetQueryOptionA; tests put recorders in their place
// to see what would be passed, or to make a call fail.
#pragma once

#include <windows.h>
#include <wininet.h>

using InternetSetOptionFunc = BOOL(WINAPI*)(HINTERNET, DWORD, LPVOID, DWORD);
using InternetQueryOptionFunc = BOOL(WINAPI*)(HINTERNET, DWORD, LPVOID, LPDWORD);

// Install `func` (nullptr restores WinINet's own) and return the one replaced.
InternetSetOptionFunc ReplaceInternetSetOption(InternetSetOptionFunc func);
InternetQueryOptionFunc ReplaceInternetQueryOption(InternetQueryOptionFunc func);
