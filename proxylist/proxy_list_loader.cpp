#include "proxylist/proxy_list_loader.h"

#include <windows.h>

#include <optional>

#include "broker/broker_client.h"
#include "broker/integrity_level.h"
#include "build_config.h"
#include "proxylist/fetch_proxy_list.h"
#include "proxylist/list_file.h"
#include "proxylist/list_text.h"
#include "settings/registry_value.h"
#include "settings/settings_table.h"

const char kProxyListAddress[] = QUILLMASK_LIST_SERVER "/services/nimbus/proxy/sortedproxylist.txt";

namespace {

// Inserts the entries of `text` so that the first entry ends at the top; "(null)" entries are
// skipped.
void FillFromListText(ProxyItemSink& sink, const std::string& text) {
  const std::vector<std::string_view> entries = CutEntries(text);
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
    if (*entry != kPlaceholderEntry) sink.InsertAtTop(*entry);
  }
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
  std::string current;  // the file holding the list
  bool nonEmpty;
};

StoredList LocateStoredList() {
  StoredList stored;
  stored.files = LocateListFiles(RegistryString(setting::kAppPath));
  const std::optional<unsigned long long> userSize =
      stored.files.user.empty() ? std::nullopt : ListFileSize(stored.files.user);
  const bool userHasList = userSize && *userSize > 0;
  stored.current = userHasList ? stored.files.user : stored.files.installed;
  const std::optional<unsigned long long> size = userHasList ? userSize : ListFileSize(stored.files.installed);
  stored.nonEmpty = size && *size > 0;
  return stored;
}

// Downloads the list and stores it, clearing the request. The text downloaded; the empty text when
// no list came: then nothing is stored, the request stands and the failure's time is noted.
std::string DownloadAndStore(const ListFiles& files, const std::string& listAddress, const DownloadLimits& limits) {
  RegistryQword failedAt(setting::kListRefreshFailedAt);
  const std::string downloaded = FetchProxyList(listAddress, limits);
  if (downloaded.empty()) {
    failedAt = Now();
    return downloaded;
  }
  failedAt = 0;
  const std::string stored = StoreList(files, downloaded);
  if (!stored.empty()) {
    RegistryString(setting::kCaleC) = stored;
    RegistryDword(setting::kUpdateProxy) = 0;
  }
  return downloaded;
}

// A browser at low integrity may not store the list: its broker downloads and stores it, and the
// box is filled from what it stored. The thread answers what other windows send it meanwhile.
bool RefreshThroughBroker(ProxyItemSink& sink, const DownloadLimits& limits, RegistryDword& updateProxy) {
  constexpr DWORD kBrokerStartMs = 10000;
  if (AskBroker({BrokerRequestKind::RefreshList, {}}, WhileWaiting::HandleSentMessages,
                limits.wholeTimeoutMs + kBrokerStartMs) != BrokerResult::Done) {
    return false;
  }
  updateProxy = 0;  // this window's own request, where it could keep one
  const std::optional<std::string> text = ReadListFile(LocateStoredList().current);
  if (text) FillFromListText(sink, *text);
  return text.has_value();
}

// Downloads the list, stores it and fills the box from the text. False when no list came. After a
// failed download windows use the list they have (even none) until the interval has passed, rather
// than each waiting for a server that is likely still out of reach.
bool Refresh(ProxyItemSink& sink, const ListFiles& files, const std::string& listAddress, const DownloadLimits& limits,
             RegistryDword& updateProxy) {
  if (FailedRecently(RegistryQword(setting::kListRefreshFailedAt))) return false;
  if (WritesThroughBroker()) return RefreshThroughBroker(sink, limits, updateProxy);
  const std::string downloaded = DownloadAndStore(files, listAddress, limits);
  FillFromListText(sink, downloaded);
  return !downloaded.empty();
}

void LoadInto(ProxyItemSink& sink, const std::string& listAddress, const DownloadLimits& limits) {
  RegistryDword updateProxy(setting::kUpdateProxy);
  const StoredList stored = LocateStoredList();
  RegistryString(setting::kCaleC) = stored.current;

  const bool wanted = static_cast<DWORD>(updateProxy) != 0 || !stored.nonEmpty;
  if (wanted && Refresh(sink, stored.files, listAddress, limits, updateProxy)) return;
  // A file that fails while being read leaves the box empty; no message.
  if (const std::optional<std::string> text = ReadListFile(stored.current)) FillFromListText(sink, *text);
}

}  // namespace

void LoadProxyList(ProxyItemSink& sink, const std::string& listAddress, const DownloadLimits& limits) {
  try {
    LoadInto(sink, listAddress, limits);
  } catch (...) {
    // Out of memory: the items inserted so far stay, and the box is created all the same.
  }
}

std::optional<std::string> ReadStoredList() {
  try {
    const StoredList stored = LocateStoredList();
    return stored.nonEmpty ? ReadListFile(stored.current) : std::nullopt;
  } catch (...) {  // out of memory
    return std::nullopt;
  }
}

bool RefreshStoredList() {
  try {
    return !DownloadAndStore(LocateStoredList().files, kProxyListAddress, kListDownloadLimits).empty();
  } catch (...) {  // out of memory
    return false;
  }
}
