// The list download against a real HTTP server on loopback, and LoadProxyList with the list file
// in a real folder and the settings in Wine's registry.
#include "proxylist/proxy_list_loader.h"
#include <wininet.h>
#include <gtest/gtest.h>
#include <condition_variable>
#include <fstream>
#include <future>
#include <mutex>
#include <set>
#include <thread>
#include "build_config.h"
#include "loopback/list_server.h"
#include "proxylist/list_download_seam.h"
#include "tests/support/list_loading.h"

using Pace = ListServer::Response::Pace;

// What a download did with its WinINet handles after sending its request.
struct HandleUse {
  std::set<DWORD> threads;  // that made the calls
  std::set<HINTERNET> closed;
  std::string misuses;
} g_use;
std::mutex g_useLock;
std::condition_variable g_useChanged;
HINTERNET Noted(HINTERNET h, bool closes = false) {
  const std::lock_guard<std::mutex> lock(g_useLock);
  g_use.threads.insert(GetCurrentThreadId());
  if (g_use.closed.count(h)) g_use.misuses += "used after its close; ";
  if (closes) g_use.closed.insert(h);
  g_useChanged.notify_all();
  return h;
}
BOOL WINAPI NotedPoll(HINTERNET h, LPDWORD a, DWORD b, DWORD_PTR c) {
  return InternetQueryDataAvailable(Noted(h), a, b, c);
}
BOOL WINAPI NotedRead(HINTERNET h, LPVOID a, DWORD b, LPDWORD c) { return InternetReadFile(Noted(h), a, b, c); }
BOOL WINAPI NotedClose(HINTERNET h) { return InternetCloseHandle(Noted(h, true)); }

// Once the download's three handles are closed (or 30 s passed): how it misused them, if it did.
std::string HandleMisuses(DWORD waiter) {
  std::unique_lock<std::mutex> lock(g_useLock);
  g_useChanged.wait_for(lock, std::chrono::seconds(30), [] { return g_use.closed.size() >= 3; });
  const bool ownThread = g_use.threads.size() == 1 && !g_use.threads.count(waiter);
  const std::string misuses = g_use.misuses + (ownThread ? "" : "used on another thread; ");
  const size_t closes = g_use.closed.size();
  g_use = {};
  return misuses + std::to_string(closes) + " closed";
}

// However the server answers or dawdles: in time, answering what is sent to the waiting thread's
// windows, caching nothing, and its handles used and closed by the download's own thread alone.
TEST(FetchProxyListTest, GivesAWhole2xxAnswerElseTheEmptyTextInTimeAnsweringWindowsAndCachingNothing) {
  std::string atLimit;  // the largest list
  while (atLimit.size() + 40 <= QUILLMASK_LIST_MAX_BYTES) atLimit += "10.0.0.1:8080- Somewhere far<br />";
  atLimit.insert(0, QUILLMASK_LIST_MAX_BYTES - atLimit.size(), 'x');
  const std::string list = "a:1- X<br />b:2- Y<br />";  // cut in half: its first entry
  const struct { std::string body, expected; Pace pace = Pace::Whole; std::string status = "200 OK"; } cases[] = {
      {atLimit, atLimit}, {atLimit + "<br />", ""},
      {"<html>Bad gateway<br />Try again<br /></html>", "", Pace::Whole, "502 Bad Gateway"},
      {list, "", Pace::Broken}, {list, "", Pace::ChunkCut}, {list, "", Pace::Endless},
      {list, "", Pace::Silent}, {list, "", Pace::Trickle}};
  const HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  const ListDownloadCalls real = ReplaceListDownloadCalls({HttpSendRequestA, NotedPoll, NotedRead, NotedClose});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body.substr(0, 40) + " " + std::to_string(static_cast<int>(c.pace)));
    const DWORD start = GetTickCount();
    {
      ListServer server({c.body, c.status, c.pace});
      const bool dawdles = c.pace == Pace::Silent || c.pace == Pace::Trickle;
      const bool slow = dawdles || c.pace == Pace::Endless;
      std::atomic<bool> fetching{true}, answered{!slow};  // as a frame sending to the waiting band's windows
      std::thread frame([&] {
        if (slow) answered = SendMessageTimeoutA(window, WM_NULL, 0, 0, 0, 30000, nullptr) && fetching;
      });
      const DownloadLimits limits = dawdles ? DownloadLimits{2000, 4000} : kListDownloadLimits;
      const std::string got = FetchProxyList(server.ListAddress(), limits);
      EXPECT_TRUE(got == c.expected) << got.size() << " bytes: " << got.substr(0, 80);
      fetching = false;
      frame.join();
      EXPECT_TRUE(answered) << "the waiting thread froze its windows";
      // Not a speed check: without the bound (or the size limit) it would not return while the server dawdles.
      EXPECT_LT(GetTickCount() - start, 20000u);
      DWORD size = 0;  // the answers allow caching, yet WinINet keeps no copy
      EXPECT_FALSE(GetUrlCacheEntryInfoA(server.ListAddress().c_str(), nullptr, &size));
      EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
    }
    // A download abandoned while its thread still reads: that thread closes its handles once it is out.
    EXPECT_EQ(HandleMisuses(GetCurrentThreadId()), "3 closed");
  }
  ReplaceListDownloadCalls(real);
  DestroyWindow(window);
  EXPECT_EQ(FetchProxyList("http://" + Loopback(ClosedLoopbackPort()) + "/list.txt"), "");
  EXPECT_EQ(FetchProxyList("not an address"), "");
}

std::string Doubled(std::string path) {
  for (size_t i = path.find('\\'); i != std::string::npos; i = path.find('\\', i + 2)) path.insert(i, 1, '\\');
  return path;
}

class ProxyListLoaderTest : public testing::Test {
 protected:
  static std::optional<std::string> CaleC() { return testreg::GetString(HKEY_CURRENT_USER, kSettingsKey, "CaleC"); }

  InstallFolder m_folder{"list"};  // its list: "127.0.0.1:9- Nowhere<br />"
};

TEST_F(ProxyListLoaderTest, FillsTheBoxFromTheFileInItsOrderByteForByteWithoutDownloading) {
  testreg::SetString(HKEY_LOCAL_MACHINE, kSettingsKey, "AppPath", m_folder.Path() + "quillbar.dll");
  const std::string withNul("a\0b:1- \x1a Z", 10);
  const std::string file =
      "1.2.3.4:80- US<br />\r\n5.6.7.8:3128- DE<br />(null)<br />(NULL)<br /> (null)<br /><br />" + withNul;
  m_folder.WriteList(file + "<br />unterminated rest");
  CreateDirectoryA(UserCopyFolder().c_str(), nullptr);
  std::ofstream{UserListFile()};  // an empty copy of the user's does not hide the list
  ListServer server({"9.9.9.9:1- never<br />"});
  EXPECT_EQ(LoadItems(server.ListAddress()),
            (Items{"1.2.3.4:80- US", "\r\n5.6.7.8:3128- DE", "(NULL)", " (null)", "", withNul}));
  EXPECT_EQ(server.Requests(), 0);
  EXPECT_EQ(CaleC(), Doubled(m_folder.ListFile()));
  EXPECT_EQ(m_folder.ReadList(), file + "<br />unterminated rest");
}

TEST_F(ProxyListLoaderTest, MissingEmptyOrRequestedListIsDownloadedStoredAndTheRequestCleared) {
  ListServer server({"a:1- X<supports POST> x<br />\nb:2- Y<br />\ntail"});
  for (const std::string state : {"missing", "empty", "requested"}) {
    SCOPED_TRACE(state);
    if (state == "missing") DeleteFileA(m_folder.ListFile().c_str());
    if (state == "empty") m_folder.WriteList("");
    if (state == "requested") RequestUpdate();
    EXPECT_EQ(LoadItems(server.ListAddress()), (Items{"a:1- X", "\r\nb:2- Y"}));
    EXPECT_EQ(m_folder.ReadList(), "a:1- X<br />\r\r\nb:2- Y<br />") << "each LF became CR LF, then in text mode";
    EXPECT_EQ(UpdateProxy(), state == "requested" ? std::optional<DWORD>(0) : std::nullopt);
  }
}

// The box and the stored list (and so the broker's allow-list) hold a list's first entries; the file
// is read no further than the size limit.
TEST_F(ProxyListLoaderTest, ListOverALimitGivesTheBoxAndTheStoredListItsFirstEntries) {
  const auto entry = [](int i) { return "10.2." + std::to_string(i / 256) + "." + std::to_string(i % 256) + ":80- N"; };
  const int limit = QUILLMASK_LIST_MAX_ENTRIES;
  std::string within = "(null)<br />";
  for (int i = 0; i < limit; ++i) within += entry(i) + "<br />";
  const std::string over = within + entry(limit) + "<br />";
  const std::string firstItems = std::to_string(limit) + " " + entry(0) + " " + entry(limit - 1);
  const std::string pastSize = "a:1- X<br />" + std::string(QUILLMASK_LIST_MAX_BYTES, 'L') + "<br />c:3- Z<br />";
  const struct { bool downloaded; std::string list, items, stored, used; } cases[] = {
      {false, over, firstItems, over, within},
      {true, over, firstItems, within, within},
      {false, pastSize, "1 a:1- X a:1- X", pastSize, "a:1- X<br />"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.downloaded) + " " + std::to_string(c.list.size()));
    ListServer server({c.list});
    c.downloaded ? RequestUpdate() : m_folder.WriteList(c.list);
    const Items items = LoadItems(server.ListAddress());
    EXPECT_EQ(std::to_string(items.size()) + " " + items.front() + " " + items.back(), c.items);
    EXPECT_EQ(server.Requests(), c.downloaded);
    EXPECT_TRUE(m_folder.ReadList() == c.stored) << m_folder.ReadList().size() << " bytes stored";
    EXPECT_TRUE(ReadStoredList() == c.used) << ReadStoredList().value_or("").size() << " bytes used";
  }
}

// Windows on two threads need a refresh at the same moment: one downloads; the other waits for it,
// answering what is sent to its window, and shows the list it stored, or after its failure (the retry
// pause holding) the list there was. A refresh held far longer than a download may take (by a stuck or
// hostile process) leaves a window with the list it has.
TEST_F(ProxyListLoaderTest, WindowsNeedingARefreshTogetherDownloadItOnceAndNoHeldRefreshHangsThem) {
  const Items fresh = {"a:1- X", "b:2- Y"};
  const struct { const char* status; Items shown; std::optional<DWORD> request; } cases[] = {
      {"502 Bad Gateway", {"127.0.0.1:9- Nowhere"}, 1}, {"200 OK", fresh, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    ListServer server({"a:1- X<br />b:2- Y<br />", c.status, Pace::Held});
    RequestUpdate();
    testreg::DeleteValue(HKEY_CURRENT_USER, kSettingsKey, "ListRefreshFailedAt");
    Items first, second;
    std::thread one([&] { first = LoadItems(server.ListAddress()); });
    for (int wait = 0; server.Requests() == 0 && wait < 1000; ++wait) Sleep(10);
    std::promise<HWND> windowOfTwo;  // destroyed as its thread ends
    std::thread two([&] {
      windowOfTwo.set_value(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
      second = LoadItems(server.ListAddress());
    });
    const HWND window = windowOfTwo.get_future().get();
    EXPECT_TRUE(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr)) << "the waiting window froze";
    server.Release();
    one.join();
    two.join();
    EXPECT_EQ(first, c.shown);
    EXPECT_EQ(second, c.shown);
    EXPECT_EQ(server.Requests(), 1);
    EXPECT_EQ(UpdateProxy(), c.request);
  }

  ListServer server({"a:1- X<br />b:2- Y<br />"});
  RequestUpdate();
  const HANDLE lock = CreateMutexA(nullptr, FALSE, "Local\\Quillmask.ListRefresh");
  std::promise<void> held, done;
  std::thread holder([&] {
    EXPECT_EQ(WaitForSingleObject(lock, 0), WAIT_OBJECT_0);
    held.set_value();
    done.get_future().wait_for(std::chrono::seconds(20));
  });  // and ends without releasing it
  held.get_future().wait();
  const DWORD start = GetTickCount();
  EXPECT_EQ(LoadItems(server.ListAddress(), {1000, 2000}), fresh);
  EXPECT_LT(GetTickCount() - start, 15000u) << "not a speed check: without a bound it waits for the holder, 20 s";
  done.set_value();
  holder.join();
  EXPECT_EQ(server.Requests(), 0);
  EXPECT_EQ(LoadItems(server.ListAddress()), fresh) << "a lock its holder left is taken over";
  EXPECT_EQ(server.Requests(), 1);
  CloseHandle(lock);
}

// A standard user: neither the installation folder nor the machine's settings key can be written.
TEST_F(ProxyListLoaderTest, UnwritableInstallationFolderKeepsTheListAsTheUsersCopy) {
  testreg::SetString(HKEY_LOCAL_MACHINE, kSettingsKey, "AppPath", m_folder.Path() + "missing folder\\quillbar.dll");
  RequestUpdate();
  ListServer server({"a:1- X<br />b:2- Y<br />"});
  {
    testreg::ReadOnlyKey machine(HKEY_LOCAL_MACHINE, kSettingsKey);
    std::ofstream(UserCopyFolder()) << "a file where the user's folder would be";
    EXPECT_EQ(LoadItems(server.ListAddress()), (Items{"a:1- X", "b:2- Y"})) << "no folder takes it: filled anyway";
    EXPECT_EQ(UpdateProxy(), 1u);
    DeleteFileA(UserCopyFolder().c_str());
    for (int window = 0; window < 2; ++window) {  // the second reads the user's copy instead of downloading
      EXPECT_EQ(LoadItems(server.ListAddress()), (Items{"a:1- X", "b:2- Y"}));
      EXPECT_EQ(ReadBytes(UserListFile()), "a:1- X<br />b:2- Y<br />");
      EXPECT_EQ(UpdateProxy(), 0u);
      EXPECT_EQ(CaleC(), Doubled(UserListFile()));
    }
    EXPECT_EQ(server.Requests(), 2);
  }
  // Once the installation folder takes a refresh, its list is the one read: the copy goes.
  testreg::SetString(HKEY_LOCAL_MACHINE, kSettingsKey, "AppPath", m_folder.Path());
  RequestUpdate();
  ListServer fresher({"c:3- Z<br />"});
  EXPECT_EQ(LoadItems(fresher.ListAddress()), Items{"c:3- Z"});
  EXPECT_EQ(m_folder.ReadList(), "c:3- Z<br />");
  EXPECT_EQ(GetFileAttributesA(UserListFile().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(CaleC(), Doubled(m_folder.ListFile()));
}

// The interval is the build's; a failure stored further back stands for its passing.
TEST_F(ProxyListLoaderTest, FailedRefreshKeepsTheListAndIsTriedAgainOnlyOnceTheIntervalHasPassed) {
  const auto storeFailure = [](double minutesFromNow) {
    ULARGE_INTEGER at;
    GetSystemTimeAsFileTime(reinterpret_cast<FILETIME*>(&at));
    at.QuadPart += static_cast<LONGLONG>(minutesFromNow * 600000000);
    RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, "ListRefreshFailedAt", REG_QWORD, &at, sizeof(at));
  };
  ListServer failing({"<html>Bad gateway<br />Try again<br /></html>", "502 Bad Gateway"});
  RequestUpdate();
  for (int window = 0; window < 2; ++window) {
    EXPECT_EQ(LoadItems(failing.ListAddress()), Items{"127.0.0.1:9- Nowhere"});
  }
  EXPECT_EQ(m_folder.ReadList(), "127.0.0.1:9- Nowhere<br />");
  DeleteFileA(m_folder.ListFile().c_str());
  EXPECT_EQ(LoadItems(failing.ListAddress()), Items{}) << "without a list, too, the box waits for the interval";
  EXPECT_EQ(failing.Requests(), 1);
  storeFailure(-QUILLMASK_LIST_RETRY_MINUTES - 1.0);
  LoadItems(failing.ListAddress());
  storeFailure(24 * 60.0);  // the clock was put back since
  LoadItems(failing.ListAddress());
  EXPECT_EQ(failing.Requests(), 3);
}

TEST_F(ProxyListLoaderTest, ARefreshHandedDownTakesTheDownloadsPlaceAndTheBoxShowsWhatItStored) {
  ListServer server({"9.9.9.9:1- never<br />"});
  // The refresh of a caller that may not store the list: it writes `stored` as the list, or none came.
  static std::string listFile, stored;
  listFile = m_folder.ListFile();
  const DelegatedRefresh storeElsewhere = [] { return !stored.empty() && std::ofstream(listFile) << stored; };
  const struct { const char* stored; Items shown; DWORD request; } cases[] = {
      {"", {"127.0.0.1:9- Nowhere"}, 1},  // none came: the old list, and the request stands
      {"c:3- Z<br />", {"c:3- Z"}, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    stored = c.stored;
    RequestUpdate();
    EXPECT_EQ(LoadItems(server.ListAddress(), kListDownloadLimits, storeElsewhere), c.shown);
    EXPECT_EQ(UpdateProxy(), std::optional<DWORD>(c.request));
  }
  EXPECT_EQ(server.Requests(), 0);
}

// Another window's reader holds the list open while a refresh replaces it. A reader that does not let
// the list go (an earlier version's) keeps it in place: the new list becomes the user's copy.
TEST_F(ProxyListLoaderTest, ReadersSeeAWholeListAndAReplacementTheyHoldOffLeavesNoTemporaryFile) {
  const std::string old = "127.0.0.1:9- Nowhere<br />", fresh = "a:1- X<br />b:2- Y<br />";
  const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;  // as the list's readers open it
  const struct { DWORD readerSharing; std::string list, userCopy; } cases[] = {
      {sharing, fresh, ""}, {sharing & ~FILE_SHARE_DELETE, old, fresh}};
  ListServer server({fresh});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.readerSharing);
    m_folder.WriteList(old);
    RequestUpdate();
    const HANDLE reader =
        CreateFileA(m_folder.ListFile().c_str(), GENERIC_READ, c.readerSharing, nullptr, OPEN_EXISTING, 0, nullptr);
    char seen[100];
    DWORD begun = 0, rest = 0;
    ReadFile(reader, seen, 5, &begun, nullptr);
    LoadItems(server.ListAddress());
    ReadFile(reader, seen + begun, 90, &rest, nullptr);
    CloseHandle(reader);
    EXPECT_EQ(std::string(seen, begun + rest), old);
    EXPECT_EQ(m_folder.ReadList() + "|" + ReadBytes(UserListFile()), c.list + "|" + c.userCopy);
    DeleteFileA(UserListFile().c_str());
    WIN32_FIND_DATAA found;  // (Wine's ReplaceFile leaves an empty "rf*.tmp" of its own when it fails)
    const HANDLE search = FindFirstFileA((m_folder.ListFile() + ".*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << found.cFileName;
    FindClose(search);
  }
}
