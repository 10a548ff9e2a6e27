// What the benchmarks share: list entries to time with, an installation folder to read them
// from, the clock, and a watch on how long a window leaves its senders waiting.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Entry `i` of a made-up proxy list, ended by "<br />"; `withMarker` adds the text after the
// location that a download carries on some entries.
std::string BenchListEntry(int i, bool withMarker = false);

// A folder in the temporary folder named by "AppPath", with "UpdateProxy" 0 so that nothing is
// downloaded; its path ends with a backslash.
std::string PrepareBenchFolder(const char* name);

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to);
double Median(std::vector<double> times);

// Measures a window's answers as the system's hang detection does: another thread sends it a
// message every 50 ms (SendMessageTimeout) and records how long each took to be answered.
class UnansweredWindowMonitor {
 public:
  UnansweredWindowMonitor() = default;
  ~UnansweredWindowMonitor() { Stop(); }
  UnansweredWindowMonitor(const UnansweredWindowMonitor&) = delete;
  UnansweredWindowMonitor& operator=(const UnansweredWindowMonitor&) = delete;

  // Starts sending to `window`; false when no monitoring thread could be started.
  bool Start(HWND window);
  // Stops sending and gives the longest time one message waited for its answer, in ms. Call it
  // on the window's own thread, which answers the last message while it waits here.
  double Stop();

 private:
  static DWORD WINAPI Monitor(void* self);

  HWND m_window = nullptr;
  HANDLE m_thread = nullptr;
  volatile LONG m_stopping = 0;
  double m_longestMs = 0;
};
