#include "proxylist/proxy_list_loader.h"

#include <windows.h>

#include <optional>

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

// Downloads the list, stores it and fills the box from the text in memory.
void Refresh(ProxyItemSink& sink, const ListFiles& files, const std::string& current,
             std::optional<unsigned long long> currentSize, const std::string& listAddress,
             const DownloadLimits& limits, RegistryDword& updateProxy, RegistryString& caleC) {
  const std::string downloaded = FetchProxyList(listAddress, limits);
  if (downloaded.empty() && currentSize && *currentSize > 0) {
    // A failed download keeps the old list, and the request stands for the next window.
    if (const std::optional<std::string> old = ReadListFile(current)) FillFromListText(sink, *old);
    return;
  }
  const std::string stored = StoreList(files, downloaded);
  FillFromListText(sink, downloaded);
  if (!stored.empty()) {
    caleC = stored;
    updateProxy = 0;
  }
}

void LoadInto(ProxyItemSink& sink, const std::string& listAddress, const DownloadLimits& limits) {
  RegistryString appPath(setting::kAppPath);
  RegistryString caleC(setting::kCaleC);
  RegistryDword updateProxy(setting::kUpdateProxy);

  // The user's copy exists only where the installation folder could not take a refresh: it is
  // the newer list.
  const ListFiles files = LocateListFiles(appPath);
  std::optional<unsigned long long> size = files.user.empty() ? std::nullopt : ListFileSize(files.user);
  const std::string& current = size ? files.user : files.installed;
  if (!size) size = ListFileSize(files.installed);
  caleC = current;

  if (static_cast<DWORD>(updateProxy) == 0 && size && *size > 0) {
    // A file that fails while being read leaves the box empty; no message.
    if (const std::optional<std::string> text = ReadListFile(current)) FillFromListText(sink, *text);
    return;
  }
  Refresh(sink, files, current, size, listAddress, limits, updateProxy, caleC);
}

}  // namespace

void LoadProxyList(ProxyItemSink& sink, const std::string& listAddress, const DownloadLimits& limits) {
  try {
    LoadInto(sink, listAddress, limits);
  } catch (...) {
    // Out of memory: the items inserted so far stay, and the box is created all the same.
  }
}
