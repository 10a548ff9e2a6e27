// Prints how long the browser takes to open the band (CoCreateInstance, SetSite, GetBandInfo and
// ShowDW) and to close it again, with the proxy box filled from a list file of 100, 1,000 and
// 10,000 entries (no download): median and fastest of repeated runs. Beside them, the time a bare
// ComboBoxEx of the system takes to be made and filled with the same items, as fast as it allows.
// Then a long session of 500 openings and closings, with what the process holds before and after
// (GDI and USER objects, handles by type). Then a list of 200,000 entries (a hostile or broken one), stored as the list file and served by
// the list host: the band's opening, the items it shows and the longest time the frame meanwhile
// left a message sent to it unanswered. Then how long the band keeps the browser waiting when it
// must download the list from a server on the build's list host that takes the request and never
// answers, or answers a byte a second (and again just after that download failed). Last, Enable on
// a proxy that drops the connection (as a filtered host does): the time from the confirmation's
// answer until "UNAVAILABLE PROXY!", and the frame's longest unanswered message.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "build_config.h"
#include "framework/wnd.h"
#include "host/band_host.h"
#include "host/held_objects.h"
#include "host/message_box_answerer.h"
#include "host/server_registration.h"
#include "loopback/list_server.h"
#include "proxylist/list_file.h"
#include "proxylist/list_text.h"
#include "res/resource.h"
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

// For comparison: the list's items put into a bare ComboBoxEx of the system's, with no band, list
// file or wrapper around it, as fast as the control takes them (room made first, drawing off,
// appended): what the window system alone costs.
void TimeBareComboBox(HWND frame, const std::string& list, Timings& timings) {
  const std::vector<std::string_view> entries = CutEntries(list);
  std::vector<std::string> texts(entries.begin(), entries.end());  // the control wants terminated texts
  for (int run = 0; run < kRuns; ++run) {
    LARGE_INTEGER start, filled;
    QueryPerformanceCounter(&start);
    const HWND box = CreateWindowExA(0, WC_COMBOBOXEXA, "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 0, 0, 300, 200,
                                     frame, nullptr, nullptr, nullptr);
    const HWND combo = reinterpret_cast<HWND>(SendMessageA(box, CBEM_GETCOMBOCONTROL, 0, 0));
    SendMessageA(combo, CB_INITSTORAGE, texts.size(), list.size());
    SendMessageA(combo, WM_SETREDRAW, FALSE, 0);
    for (std::string& text : texts) {
      COMBOBOXEXITEMA item = {};
      item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM;
      item.iItem = -1;
      item.pszText = &text[0];
      SendMessageA(box, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageA(combo, WM_SETREDRAW, TRUE, 0);
    QueryPerformanceCounter(&filled);
    DestroyWindow(box);
    timings.bareBox.push_back(Milliseconds(start, filled));
  }
}

// The port of the build's list host when it is http://127.0.0.1:PORT, else 0.
unsigned short ListHostPort() {
  const std::string server = QUILLMASK_LIST_SERVER;
  const std::string loopback = "http://127.0.0.1:";
  if (server.compare(0, loopback.size(), loopback) != 0) return 0;
  return static_cast<unsigned short>(std::atoi(server.c_str() + loopback.size()));
}

struct BandOpening {
  double openMs;
  double unansweredMs;
  int items;
  HRESULT result;
};

// One opening of the band, watched: how long it took, how long the frame left a message unanswered.
BandOpening OpenWatched(HWND frame, REFCLSID clsid) {
  BandHost band;
  UnansweredWindowMonitor monitor;
  monitor.Start(frame);
  LARGE_INTEGER start, opened;
  QueryPerformanceCounter(&start);
  const HRESULT result = band.Open(frame, clsid);
  QueryPerformanceCounter(&opened);
  const double unanswered = monitor.Stop();
  const int items = SUCCEEDED(result) ? ItemsInProxyBox(band.BandWindow()) : 0;
  band.Close();
  DrainMessages();
  return {Milliseconds(start, opened), unanswered, items, result};
}

void PrintOpening(const char* kind, const BandOpening& opening) {
  std::printf("%20s: %10.0f ms %15.0f ms %8d items (0x%08lX)\n", kind, opening.openMs, opening.unansweredMs,
              opening.items, static_cast<unsigned long>(opening.result));
}

// A list far over the limits: stored as the list file, and as the answer to a refresh.
void TimeHugeList(HWND frame, REFCLSID clsid, const std::string& listFile) {
  constexpr int kHugeEntries = 200000;
  std::string list;
  for (int i = 0; i < kHugeEntries; ++i) list += BenchListEntry(i);
  std::printf("a list of %d entries (%.1f MB; limits %u entries, %u bytes)\n", kHugeEntries, list.size() / 1e6,
              QUILLMASK_LIST_MAX_ENTRIES, QUILLMASK_LIST_MAX_BYTES);
  std::printf("%20s  %13s %18s\n", "", "open", "longest unanswered");
  if (WriteListFile(listFile, list)) PrintOpening("as the list file", OpenWatched(frame, clsid));
  const unsigned short port = ListHostPort();
  if (port == 0) {
    std::printf("the list server %s is not http://127.0.0.1:PORT: no answer timed\n", QUILLMASK_LIST_SERVER);
    return;
  }
  ListServer server({list}, port);
  if (!server.Listening()) {
    std::printf("%20s: the list host's port is taken\n", "as the answer");
    return;
  }
  WriteSetting(setting::kListRefreshFailedAt, 0);
  WriteSetting(setting::kUpdateProxy, 1);
  // The download echoes what it received to standard output: not here.
  std::fflush(stdout);
  const int output = _dup(1), nowhere = _open("NUL", _O_WRONLY);
  _dup2(nowhere, 1);
  const BandOpening opening = OpenWatched(frame, clsid);
  std::fflush(stdout);
  _dup2(output, 1);
  _close(nowhere), _close(output);
  PrintOpening("as the answer", opening);
  WriteSetting(setting::kUpdateProxy, 0);
}

void TimeDawdlingServers(HWND frame, REFCLSID clsid) {
  const unsigned short port = ListHostPort();
  if (port == 0) {
    std::printf("the list server %s is not http://127.0.0.1:PORT: no dawdling server timed\n", QUILLMASK_LIST_SERVER);
    return;
  }
  std::printf("band opening while the list server dawdles (time-outs %d ms, whole download %d ms)\n",
              QUILLMASK_LIST_TIMEOUT_MS, 3 * QUILLMASK_LIST_TIMEOUT_MS);
  std::printf("%20s  %13s %18s\n", "", "open", "longest unanswered");
  // The last run opens a band just after the one before failed: it does not try again.
  using Pace = ListServer::Response::Pace;
  const struct { const char* kind; Pace pace; bool justFailed; } runs[] = {
      {"never answers", Pace::Silent, false}, {"a byte a second", Pace::Trickle, false},
      {"again, just failed", Pace::Trickle, true}};
  for (const auto& run : runs) {
    ListServer dawdler({"127.0.0.1:1- X<br />", "200 OK", run.pace}, port);
    if (!dawdler.Listening()) {
      std::printf("%20s: the list host's port is taken\n", run.kind);
      continue;
    }
    if (!run.justFailed) WriteSetting(setting::kListRefreshFailedAt, 0);
    PrintOpening(run.kind, OpenWatched(frame, clsid));
  }
}

void TimeEnableOnADroppingProxy(HWND frame, REFCLSID clsid, const std::string& listFile) {
  SynDroppingListener dropping;
  if (!WriteListFile(listFile, Loopback(dropping.Port()) + "- Filtered<br />")) return;
  BandHost band;
  if (FAILED(band.Open(frame, clsid))) return;
  const HWND toolBar = band.BandWindow();
  const HWND box = FindWindowExA(toolBar, nullptr, "ComboBoxEx32", nullptr);
  SendMessageA(reinterpret_cast<HWND>(SendMessageA(box, CBEM_GETCOMBOCONTROL, 0, 0)), CB_SETCURSEL, 0, 0);
  RECT toggle = {};
  SendMessageA(toolBar, TB_GETRECT, ID_PROXY_TOGGLE, reinterpret_cast<LPARAM>(&toggle));
  const LPARAM middle = MAKELPARAM((toggle.left + toggle.right) / 2, (toggle.top + toggle.bottom) / 2);
  // The confirmation and the unavailable proxy's box, answered as a user would, as each is shown.
  std::vector<LARGE_INTEGER> shown;
  UnansweredWindowMonitor monitor;
  double unanswered = 0;
  {
    const MessageBoxAnswerer boxes(frame, [&] { QueryPerformanceCounter(&shown.emplace_back()); });
    monitor.Start(frame);
    SendMessageA(toolBar, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    SendMessageA(toolBar, WM_LBUTTONUP, 0, middle);
    unanswered = monitor.Stop();
  }
  band.Close();
  std::printf("Enable on a proxy that drops the connection (bound %d ms)\n", QUILLMASK_PROXY_TEST_TIMEOUT_MS);
  if (shown.size() != 2) {
    std::printf("  %d boxes instead of the confirmation and the unavailable proxy's\n", static_cast<int>(shown.size()));
    return;
  }
  std::printf("  \"UNAVAILABLE PROXY!\" after %.0f ms; longest unanswered %.0f ms\n", Milliseconds(shown[0], shown[1]),
              unanswered);
}

// A long session: the band opened, painted and closed again and again, and what the process holds
// before and after (nothing more, when nothing leaks).
void TimeLongSession(HWND frame, REFCLSID clsid, const std::string& listFile) {
  constexpr int kOpenings = 500, kWarmUp = 10;  // the first openings fill the system's own caches
  std::string list;
  for (int i = 0; i < 100; ++i) list += BenchListEntry(i);
  if (!WriteListFile(listFile, list)) return;
  const auto openAndClose = [&] {
    BandHost band;
    if (SUCCEEDED(band.Open(frame, clsid))) {
      RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      band.Close();
    }
    DrainMessages();
  };
  for (int i = 0; i < kWarmUp; ++i) openAndClose();
  const std::string before = HeldObjects();
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < kOpenings; ++i) openAndClose();
  QueryPerformanceCounter(&end);
  std::printf("a session of %d openings and closings (100 entries), %.0f ms\n  held before: %s\n  held after:  %s\n",
              kOpenings, Milliseconds(start, end), before.c_str(), HeldObjects().c_str());
}

int Run(HWND frame, REFCLSID clsid) {
  const std::string folder = PrepareBenchFolder("quillmask-band-bench");
  const std::string listFile = BuildListPath(folder);
  WriteSetting(setting::kEnabled, 0);

  int exitCode = 0;
  std::printf("band creation in its host, median of %d runs (ms)\n", kRuns);
  std::printf("%10s %12s %12s %12s %20s\n", "entries", "open", "open min", "close", "bare ComboBoxEx fill");
  for (int count : {100, 1000, 10000}) {
    std::string list;
    for (int i = 0; i < count; ++i) list += BenchListEntry(i);
    Timings timings;
    if (!WriteListFile(listFile, list) || !TimeOpenAndClose(frame, clsid, count, timings)) {
      std::printf("%10d failed\n", count);
      exitCode = 1;
      break;
    }
    TimeBareComboBox(frame, list, timings);
    std::printf("%10d %12.2f %12.2f %12.2f %20.2f\n", count, Median(timings.open),
                *std::min_element(timings.open.begin(), timings.open.end()), Median(timings.close),
                Median(timings.bareBox));
  }
  if (exitCode == 0) TimeLongSession(frame, clsid, listFile);
  if (exitCode == 0) TimeHugeList(frame, clsid, listFile);
  DeleteFileA(listFile.c_str());
  if (exitCode == 0) TimeDawdlingServers(frame, clsid);  // no list file: the band downloads
  if (exitCode == 0) TimeEnableOnADroppingProxy(frame, clsid, listFile);
  WriteSetting(setting::kListRefreshFailedAt, 0);
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
