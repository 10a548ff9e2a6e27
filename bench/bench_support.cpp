#include "bench/bench_support.h"

#include <algorithm>

#include "framework/modal_wait.h"

#include "settings/registry_value.h"
#include "settings/settings_table.h"

std::string BenchListEntry(int i, bool withMarker) {
  return std::to_string(10 + i % 200) + "." + std::to_string(i / 65536 % 256) + "." + std::to_string(i / 256 % 256) +
         "." + std::to_string(i % 256) + ":8080- Somewhere, Some Country" + (withMarker ? "<supports POST> yes" : "") +
         "<br />";
}

std::string PrepareBenchFolder(const char* name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + name + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  WriteSetting(setting::kAppPath, folder);
  WriteSetting(setting::kUpdateProxy, 0);
  return folder;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

bool UnansweredWindowMonitor::Start(HWND window) {
  Stop();
  m_window = window;
  m_stopping = 0;
  m_longestMs = 0;
  m_thread = CreateThread(nullptr, 0, Monitor, this, 0, nullptr);
  return m_thread != nullptr;
}

double UnansweredWindowMonitor::Stop() {
  if (m_thread) {
    InterlockedExchange(&m_stopping, 1);
    WaitModally(m_thread, INFINITE, WhileWaiting::HandleSentMessages);
    CloseHandle(m_thread);
    m_thread = nullptr;
  }
  return m_longestMs;
}

DWORD WINAPI UnansweredWindowMonitor::Monitor(void* self) {
  UnansweredWindowMonitor& monitor = *static_cast<UnansweredWindowMonitor*>(self);
  while (!InterlockedCompareExchange(&monitor.m_stopping, 0, 0)) {
    LARGE_INTEGER sent, answered;
    DWORD_PTR result = 0;
    QueryPerformanceCounter(&sent);
    // Far longer than any bound of the band's, so that one message measures a whole freeze.
    SendMessageTimeoutA(monitor.m_window, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &result);
    QueryPerformanceCounter(&answered);
    monitor.m_longestMs = std::max(monitor.m_longestMs, Milliseconds(sent, answered));
    Sleep(50);
  }
  return 0;
}
