// The door through which a list download hands its handles to WinINet: sending, waiting for and
// reading the answer, and closing. It defaults to WinINet's own calls; tests put recorders in their
// place to see which thread used and closed each handle, and in what order.
#pragma once

#include <windows.h>
#include <wininet.h>

struct ListDownloadCalls {
  BOOL(WINAPI* sendRequest)(HINTERNET, LPCSTR, DWORD, LPVOID, DWORD);
  BOOL(WINAPI* queryDataAvailable)(HINTERNET, LPDWORD, DWORD, DWORD_PTR);
  BOOL(WINAPI* readFile)(HINTERNET, LPVOID, DWORD, LPDWORD);
  BOOL(WINAPI* closeHandle)(HINTERNET);
};

// WinINet's own.
ListDownloadCalls WinInetListDownloadCalls();

// Installs `calls` for the downloads started from now on and returns the ones replaced.
ListDownloadCalls ReplaceListDownloadCalls(const ListDownloadCalls& calls);
