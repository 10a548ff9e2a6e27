// Filling the proxy list box: from the list file, or from a fresh download when the user asked
// for one ("UpdateProxy") or the file is missing or empty, and no download failed just before.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "proxylist/fetch_proxy_list.h"

// Where the entries go: the proxy combo box, or a recorder in tests.
class ProxyItemSink {
 public:
  // Inserts an item with `text` at position 0. The view lasts only for the call.
  virtual void InsertAtTop(std::string_view text) = 0;

 protected:
  ~ProxyItemSink() = default;
};

// The list's address in this build.
extern const char kProxyListAddress[];

// Locates the list file from "AppPath", then fills `sink` with the file's entries in the file's
// order, downloading the list from `listAddress` first when asked to or when there is no
// non-empty list. Where the installation folder cannot be written, the list is the user's own
// copy (see UserListFolder), unless that copy is empty; "CaleC" names the file used.
//
// A failed download changes no file: the box is filled from the old list, if any, "UpdateProxy"
// keeps its value, and "ListRefreshFailedAt" its time. Windows opened within
// QUILLMASK_LIST_RETRY_MINUTES of it do not try again (they show the list there is, or an empty
// box), the first after it does. A list file that cannot be written does not stop the fill
// either (the downloaded text is used, "UpdateProxy" kept). At low integrity the broker downloads
// and stores the list, and the box is filled from what it stored.
void LoadProxyList(ProxyItemSink& sink, const std::string& listAddress = kProxyListAddress,
                   const DownloadLimits& limits = kListDownloadLimits);

// The list as it is stored (the file LoadProxyList would read); nullopt when there is none, it is
// empty, or it cannot be read.
std::optional<std::string> ReadStoredList();

// Downloads the list from the build's list server and stores it as a refresh does, clearing the
// request; false when no list came (the stored one stays and the failure's time is noted).
bool RefreshStoredList();
