// Filling the proxy list box: from the list file, or from a fresh download when the user asked
// for one ("UpdateProxy") or the file is missing or empty, and no download failed just before.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "proxylist/fetch_proxy_list.h"

// Where the entries go: the proxy combo box, or a recorder in tests.
class ProxyItemSink {
 public:
  // Adds an item for each of `texts`, in this order, after the items already there. The views last
  // only for the call.
  virtual void Append(const std::vector<std::string_view>& texts) = 0;

 protected:
  ~ProxyItemSink() = default;
};

// The list's address in this build.
extern const char kProxyListAddress[];

// A refresh that another process makes for one that may not store the list itself (the broker of a
// browser at low integrity): true once that process stored a list (downloaded, or found stored
// meanwhile by another refresh), false when none came. The thread answers what is sent to its
// windows while it waits.
using DelegatedRefresh = bool (*)();

// Locates the list file from "AppPath", then fills `sink` with the file's entries in the file's
// order, downloading the list from `listAddress` first when asked to or when there is no
// non-empty list. Where the installation folder cannot be written, the list is the user's own
// copy (see UserListFolder), unless that copy is empty; "CaleC" names the file used.
//
// A list is as long as its first QUILLMASK_LIST_MAX_ENTRIES entries that give items: a downloaded
// one is stored so, and the file is read up to QUILLMASK_LIST_MAX_BYTES and used so.
//
// A failed download changes no file: the box is filled from the old list, if any, "UpdateProxy"
// keeps its value, and "ListRefreshFailedAt" its time. Windows opened within
// QUILLMASK_LIST_RETRY_MINUTES of it do not try again (they show the list there is, or an empty
// box), the first after it does. A list file that cannot be written does not stop the fill
// either (the downloaded text is used, "UpdateProxy" kept). Where the caller may not store the list,
// `delegatedRefresh` refreshes it instead, and the box is filled from what it stored.
//
// Windows and processes that need a refresh at the same moment download the list once: the first
// downloads, the others wait for it (answering what is sent to their windows meanwhile) and show
// the list it stored, or after its failure the list they have. A wait longer than a download may
// take (the lock held by a stuck or hostile process) ends with the list they have.
void LoadProxyList(ProxyItemSink& sink, const std::string& listAddress = kProxyListAddress,
                   const DownloadLimits& limits = kListDownloadLimits, DelegatedRefresh delegatedRefresh = nullptr);

// The list as it is stored and used (see LoadProxyList); nullopt when there is none, it is empty,
// or it cannot be read.
std::optional<std::string> ReadStoredList();

// Downloads the list from the build's list server and stores it as a refresh does, clearing the
// request; in turn with the windows refreshing at the same moment, so that a list one of them
// stored meanwhile does too. False when no list came (the stored one stays; a failed download's
// time is noted).
bool RefreshStoredList();
