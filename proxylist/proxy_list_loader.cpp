#include "proxylist/proxy_list_loader.h"

#include <windows.h>

#include <optional>

#include "build_config.h"
#include "framework/modal_wait.h"
#include "proxylist/fetch_proxy_list.h"
#include "proxylist/list_file.h"
#include "proxylist/list_text.h"
#include "settings/registry_value.h"
#include "settings/settings_table.h"

const char kProxyListAddress[] = QUILLMASK_LIST_SERVER "/services/nimbus/proxy/sortedproxylist.txt";

namespace {

// Fills the box with the items of `text`, in its order; "(null)" entries give none.
void FillFromListText(ProxyItemSink& sink, std::string_view text) {
  std::vector<std::string_view> items;
  for (std::string_view entry : CutEntries(text)) {
    if (entry != kPlaceholderEntry) items.push_back(entry);
  }
  sink.Append(items);
}

// A list as far as it is kept and shown: its first entries.
std::string_view WithinEntryLimit(std::string_view text) { return FirstEntries(text, QUILLMASK_LIST_MAX_ENTRIES); }

// The list a file holds, read up to the size limit, within the entry limit.
std::optional<std::string> ReadList(const std::string& path) {
  std::optional<std::string> text = ReadListFile(path, QUILLMASK_LIST_MAX_BYTES);
  if (text) text->resize(WithinEntryLimit(*text).size());
  return text;
}

// The list file of the installation folder, and the user's own copy where that folder cannot be
// written (a standard user's browser, the toolbar installed under Program Files). Both paths in
// the form the list is opened with and "CaleC" names: backslashes doubled.
struct ListFiles {
  std::string installed;
  std::string userFolder;  // empty when the system names no folder for it
  std::string user;
};

ListFiles LocateListFiles(const std::string& appPath) {
  ListFiles files;
  files.installed = BuildListPath(appPath);
  files.userFolder = UserListFolder();
  if (!files.userFolder.empty()) files.user = BuildListPath(files.userFolder);
  return files;
}

// Stores a downloaded list: in the installation folder when it takes it (a user's copy, now stale,
// goes), else as the user's copy. The path written, or empty when neither could be.
std::string StoreList(const ListFiles& files, const std::string& text) {
  if (WriteListFile(files.installed, text)) {
    if (!files.user.empty()) DeleteFileA(files.user.c_str());
    return files.installed;
  }
  if (files.user.empty()) return std::string();
  CreateDirectoryA(files.userFolder.c_str(), nullptr);
  return WriteListFile(files.user, text) ? files.user : std::string();
}

// The system's clock as a FILETIME: survives restarts, unlike the tick count.
ULONGLONG Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// Whether a download failed so recently that a new window should not wait for another. A failure
// stored in the future (the clock was put back) does not hold a refresh back.
bool FailedRecently(ULONGLONG failedAt) {
  constexpr ULONGLONG kRetryInterval = QUILLMASK_LIST_RETRY_MINUTES * 60ULL * 10000000ULL;  // FILETIME: 100 ns
  const ULONGLONG now = Now();
  return failedAt != 0 && failedAt <= now && now - failedAt < kRetryInterval;
}

// Where the list is kept now. The user's copy exists only where the installation folder could not
// take a refresh: it is the newer list, unless it is empty.
struct StoredList {
  ListFiles files;
  std::string current;                   // the file holding the list
  std::optional<ListFileStatus> status;  // the current file's
  bool nonEmpty;
};

StoredList LocateStoredList() {
  StoredList stored;
  stored.files = LocateListFiles(ReadSetting(setting::kAppPath));
  const std::optional<ListFileStatus> user =
      stored.files.user.empty() ? std::nullopt : ReadListFileStatus(stored.files.user);
  const bool userHasList = user && user->size > 0;
  stored.current = userHasList ? stored.files.user : stored.files.installed;
  stored.status = userHasList ? user : ReadListFileStatus(stored.files.installed);
  stored.nonEmpty = stored.status && stored.status->size > 0;
  return stored;
}

// Whether a refresh stored a list between the two looks: another file, or the same one rewritten.
bool ListReplacedBetween(const StoredList& before, const StoredList& after) {
  return after.nonEmpty && (after.current != before.current || after.status != before.status);
}

// Downloads the list and stores it, within the entry limit, clearing the request. The list stored;
// the empty text when no list came: then nothing is stored, the request stands and the failure's
// time is noted.
std::string DownloadAndStore(const ListFiles& files, const std::string& listAddress, const DownloadLimits& limits) {
  const std::string downloaded = FetchProxyList(listAddress, limits);
  if (downloaded.empty()) {
    WriteSetting(setting::kListRefreshFailedAt, Now());
    return downloaded;
  }
  WriteSetting(setting::kListRefreshFailedAt, 0);
  const std::string list(WithinEntryLimit(downloaded));
  const std::string stored = StoreList(files, list);
  if (!stored.empty()) {
    WriteSetting(setting::kCaleC, stored);
    WriteSetting(setting::kUpdateProxy, 0);
  }
  return list;
}

// One refresh at a time in the user's session (its processes share the list): a mutex of the
// session's namespace, waited for with the thread answering what is sent to its windows. A holder
// downloads for at most the download's bound; a longer hold is a stuck or hostile process (one of
// lower integrity may create and hold the name), and the wait ends without the turn.
class RefreshTurn {
 public:
  explicit RefreshTurn(DWORD timeoutMs) : m_mutex(CreateMutexA(nullptr, FALSE, kMutexName)) {
    m_owned = m_mutex && WaitModally(m_mutex, timeoutMs, WhileWaiting::HandleSentMessages);
  }
  ~RefreshTurn() {
    if (m_owned) ReleaseMutex(m_mutex);
    if (m_mutex) CloseHandle(m_mutex);
  }
  RefreshTurn(const RefreshTurn&) = delete;
  RefreshTurn& operator=(const RefreshTurn&) = delete;

  // Whether this thread may refresh now: it holds the turn, or no mutex could be had (an object of
  // another kind has the name), so that each refreshes on its own as it would alone.
  bool Taken() const { return m_owned || !m_mutex; }

 private:
  static constexpr char kMutexName[] = "Local\\Quillmask.ListRefresh";
  const HANDLE m_mutex;
  bool m_owned = false;
};

// What a refresh came to.
struct RefreshOutcome {
  bool listCame;           // downloaded and stored, or stored meanwhile by another refresh
  std::string downloaded;  // the list this one downloaded; empty when the stored one is to be read
};

// Downloads and stores the list in turn with the windows and processes refreshing at the same
// moment. One whose turn comes after another's refresh uses what that came to: the list stored
// meanwhile, or after a failed download the list there is, as the retry pause has it.
RefreshOutcome RefreshInTurn(const StoredList& before, const std::string& listAddress, const DownloadLimits& limits) {
  constexpr DWORD kStoringMs = 2000;  // a holder's writing of the list, after its download
  const RefreshTurn turn(limits.wholeTimeoutMs + kStoringMs);
  if (!turn.Taken() || FailedRecently(ReadSetting(setting::kListRefreshFailedAt))) return {false, {}};
  const StoredList now = LocateStoredList();
  if (ListReplacedBetween(before, now)) return {true, {}};
  std::string downloaded = DownloadAndStore(now.files, listAddress, limits);
  return {!downloaded.empty(), std::move(downloaded)};
}

// Where this process may not store the list, the one that may refreshes it (or finds it stored
// meanwhile), and the box is filled from what it stored.
RefreshOutcome RefreshElsewhere(DelegatedRefresh refresh, DWORD updateProxy) {
  if (!refresh()) return {false, {}};
  // The request this window acted on is done (where it could keep one); none is cleared unseen.
  if (updateProxy != 0) WriteSetting(setting::kUpdateProxy, 0);
  return {true, {}};
}

void LoadInto(ProxyItemSink& sink, const std::string& listAddress, const DownloadLimits& limits,
              DelegatedRefresh delegatedRefresh) {
  const DWORD updateProxy = ReadSetting(setting::kUpdateProxy);
  const StoredList stored = LocateStoredList();
  WriteSetting(setting::kCaleC, stored.current);

  std::string current = stored.current;
  // After a failed download windows use the list they have (even none) until the interval has
  // passed, rather than each waiting for a server that is likely still out of reach.
  const bool wanted = updateProxy != 0 || !stored.nonEmpty;
  if (wanted && !FailedRecently(ReadSetting(setting::kListRefreshFailedAt))) {
    const RefreshOutcome outcome = delegatedRefresh ? RefreshElsewhere(delegatedRefresh, updateProxy)
                                                    : RefreshInTurn(stored, listAddress, limits);
    if (!outcome.downloaded.empty()) return FillFromListText(sink, outcome.downloaded);
    if (outcome.listCame) current = LocateStoredList().current;
  }
  // A file that fails while being read leaves the box empty; no message.
  if (const std::optional<std::string> text = ReadList(current)) FillFromListText(sink, *text);
}

}  // namespace

void LoadProxyList(ProxyItemSink& sink, const std::string& listAddress, const DownloadLimits& limits,
                   DelegatedRefresh delegatedRefresh) {
  try {
    LoadInto(sink, listAddress, limits, delegatedRefresh);
  } catch (...) {
    // Out of memory: the items inserted so far stay, and the box is created all the same.
  }
}

std::optional<std::string> ReadStoredList() {
  try {
    const StoredList stored = LocateStoredList();
    return stored.nonEmpty ? ReadList(stored.current) : std::nullopt;
  } catch (...) {  // out of memory
    return std::nullopt;
  }
}

bool RefreshStoredList() {
  try {
    return RefreshInTurn(LocateStoredList(), kProxyListAddress, kListDownloadLimits).listCame;
  } catch (...) {  // out of memory
    return false;
  }
}
