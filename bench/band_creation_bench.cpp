// Prints how long the browser takes to open the band (CoCreateInstance, SetSite, GetBandInfo and
// ShowDW) and to close it again, with the proxy box filled from a list file of 100 and of 10,000
// entries (no download): median and fastest of repeated runs. Beside them, the time a bare
// ComboBoxEx of the system takes to be made and filled with as many items.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "framework/wnd.h"
#include "host/band_host.h"
#include "host/server_registration.h"
#include "proxylist/list_file.h"
#include "proxylist/list_text.h"
#include "settings/registry_value.h"
#include "settings/settings_table.h"

namespace {

constexpr int kRuns = 15;

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

struct Timings {
  std::vector<double> open;   // CoCreateInstance through SetSite, GetBandInfo and ShowDW
  std::vector<double> close;  // ShowDW(FALSE), CloseDW, SetSite(nullptr) and the last Release
  std::vector<double> bareBox;
};

// One untimed opening that checks the band shows the whole list, then the timed runs.
bool TimeOpenAndClose(HWND frame, REFCLSID clsid, int entries, Timings& timings) {
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
  for (int run = 0; run < kRuns; ++run) {
    BandHost host;
    LARGE_INTEGER start, opened, closed;
    QueryPerformanceCounter(&start);
    const HRESULT openResult = host.Open(frame, clsid);
    QueryPerformanceCounter(&opened);
    const HRESULT closeResult = host.Close();
    QueryPerformanceCounter(&closed);
    if (FAILED(openResult) || FAILED(closeResult)) return false;
    timings.open.push_back(Milliseconds(start, opened));
    timings.close.push_back(Milliseconds(opened, closed));
    DrainMessages();
  }
  return true;
}

// For comparison: the same number of items put into a bare ComboBoxEx of the system's, with no
// band, list file or wrapper around it (what the window system alone costs).
void TimeBareComboBox(HWND frame, int entries, Timings& timings) {
  std::string text = "10.0.0.1:8080- Somewhere, Some Country";
  for (int run = 0; run < kRuns; ++run) {
    LARGE_INTEGER start, filled;
    QueryPerformanceCounter(&start);
    const HWND box = CreateWindowExA(0, WC_COMBOBOXEXA, "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 0, 0, 300, 200,
                                     frame, nullptr, nullptr, nullptr);
    for (int i = 0; i < entries; ++i) {
      COMBOBOXEXITEMA item = {};
      item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM;
      item.pszText = &text[0];
      SendMessageA(box, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    QueryPerformanceCounter(&filled);
    DestroyWindow(box);
    timings.bareBox.push_back(Milliseconds(start, filled));
  }
}

int Run(HWND frame, REFCLSID clsid) {
  const std::string folder = PrepareBenchFolder("quillmask-band-bench");
  const std::string listFile = BuildListPath(folder);
  RegistryDword(setting::kEnabled) = 0;

  int exitCode = 0;
  std::printf("band creation in its host, median of %d runs (ms)\n", kRuns);
  std::printf("%10s %12s %12s %12s %20s\n", "entries", "open", "open min", "close", "bare ComboBoxEx fill");
  for (int count : {100, 10000}) {
    std::string list;
    for (int i = 0; i < count; ++i) list += BenchListEntry(i);
    Timings timings;
    if (!WriteListFile(listFile, list) || !TimeOpenAndClose(frame, clsid, count, timings)) {
      std::printf("%10d failed\n", count);
      exitCode = 1;
      break;
    }
    TimeBareComboBox(frame, count, timings);
    std::printf("%10d %12.2f %12.2f %12.2f %20.2f\n", count, Median(timings.open),
                *std::min_element(timings.open.begin(), timings.open.end()), Median(timings.close),
                Median(timings.bareBox));
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
