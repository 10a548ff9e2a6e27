#include "proxylist/proxy_list_loader.h"

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

// Downloads the list, stores it as the list file and fills the box from the text in memory.
void Refresh(ProxyItemSink& sink, const std::string& path, std::optional<unsigned long long> fileSize,
             const std::string& listAddress, RegistryDword& updateProxy) {
  const std::string downloaded = FetchProxyList(listAddress);
  if (downloaded.empty() && fileSize && *fileSize > 0) {
    // A failed download keeps the old list, and the request stands for the next window.
    if (const std::optional<std::string> old = ReadListFile(path)) FillFromListText(sink, *old);
    return;
  }
  const bool stored = WriteListFile(path, downloaded);
  FillFromListText(sink, downloaded);
  if (stored) updateProxy = 0;
}

void LoadInto(ProxyItemSink& sink, const std::string& listAddress) {
  RegistryString appPath(setting::kAppPath);
  RegistryString caleC(setting::kCaleC);
  RegistryDword updateProxy(setting::kUpdateProxy);

  const std::string path = BuildListPath(static_cast<std::string>(appPath));
  caleC = path;

  const std::optional<unsigned long long> size = ListFileSize(path);
  if (static_cast<DWORD>(updateProxy) == 0 && size && *size > 0) {
    // A file that fails while being read leaves the box empty; no message.
    if (const std::optional<std::string> text = ReadListFile(path)) FillFromListText(sink, *text);
    return;
  }
  Refresh(sink, path, size, listAddress, updateProxy);
}

}  // namespace

void LoadProxyList(ProxyItemSink& sink, const std::string& listAddress) {
  try {
    LoadInto(sink, listAddress);
  } catch (...) {
    // Out of memory: the items inserted so far stay, and the box is created all the same.
  }
}
