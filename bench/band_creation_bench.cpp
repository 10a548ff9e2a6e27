// Prints how long the browser takes to open and close the band: CoCreateInstance, SetSite,
// GetBandInfo and ShowDW, then ShowDW(FALSE), CloseDW and SetSite(nullptr). The proxy box is filled
// from a list file of 100 and of 10,000 entries (no download); median and fastest of repeated runs.
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/wnd.h"
#include "host/band_host.h"
#include "host/server_registration.h"
#include "proxylist/list_file.h"
#include "proxylist/list_text.h"
#include "settings/registry_value.h"
#include "settings/settings_table.h"

namespace {

constexpr int kRuns = 15;

std::string ListOf(int count) {
  std::string list;
  for (int i = 0; i < count; ++i) {
    list += "10." + std::to_string(i / 65536 % 256) + "." + std::to_string(i / 256 % 256) + "." +
            std::to_string(i % 256) + ":8080- Somewhere, Some Country<br />";
  }
  return list;
}

// Lets the frame handle what opening and closing left in its queue, outside the timed part.
void DrainMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

int ItemsInProxyBox(HWND bandWindow) {
  const HWND box = FindWindowExA(bandWindow, nullptr, "ComboBoxEx32", nullptr);
  const HWND combo = reinterpret_cast<HWND>(SendMessageA(box, CBEM_GETCOMBOCONTROL, 0, 0));
  return static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
}

// One untimed opening that checks the band shows the whole list, then the timed runs in ms.
bool TimeOpenAndClose(HWND frame, REFCLSID clsid, int entries, std::vector<double>& times) {
  {
    BandHost host;
    if (FAILED(host.Open(frame, clsid))) return false;
    const int items = ItemsInProxyBox(host.BandWindow());
    if (FAILED(host.Close()) || items != entries) {
      std::printf("the band showed %d of %d entries\n", items, entries);
      return false;
    }
    DrainMessages();
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (int run = 0; run < kRuns; ++run) {
    BandHost host;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const HRESULT opened = host.Open(frame, clsid);
    const HRESULT closed = host.Close();
    QueryPerformanceCounter(&end);
    if (FAILED(opened) || FAILED(closed)) return false;
    times.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                    static_cast<double>(frequency.QuadPart));
    DrainMessages();
  }
  std::sort(times.begin(), times.end());
  return true;
}

int Run(HWND frame, REFCLSID clsid) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "quillmask-band-bench\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string listFile = BuildListPath(folder);
  RegistryString(setting::kAppPath) = folder;
  RegistryDword(setting::kUpdateProxy) = 0;
  RegistryDword(setting::kEnabled) = 0;

  int exitCode = 0;
  std::printf("%10s %14s %14s   (band open to close, %d runs)\n", "entries", "median (ms)", "min (ms)", kRuns);
  for (int count : {100, 10000}) {
    std::vector<double> times;
    if (!WriteListFile(listFile, ListOf(count)) || !TimeOpenAndClose(frame, clsid, count, times)) {
      std::printf("%10d failed\n", count);
      exitCode = 1;
      break;
    }
    std::printf("%10d %14.2f %14.2f\n", count, times[kRuns / 2], times.front());
  }
  DeleteFileA(listFile.c_str());
  RemoveDirectoryA(folder.c_str());
  return exitCode;
}

}  // namespace

int main() {
  const std::string server = PathBesideProgram("quillbar.dll");
  const HRESULT registered = RegisterServer(server);
  if (FAILED(registered)) {
    std::printf("%s could not be registered (0x%08lX)\n", server.c_str(), static_cast<unsigned long>(registered));
    return 1;
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  int exitCode = 1;
  {
    CLSID clsid;
    CWnd frame;
    const HRESULT found = FindBandClsid(&clsid);
    if (FAILED(found)) {
      std::printf("the band's class is not registered (0x%08lX)\n", static_cast<unsigned long>(found));
    } else if (frame.CreateEx(0, AfxPlainWindowClass(), "Quillmask band host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              {0, 0, 1100, 140}, nullptr, 0)) {
      exitCode = Run(frame.m_hWnd, clsid);
    }
  }
  CoUninitialize();
  return exitCode;
}
