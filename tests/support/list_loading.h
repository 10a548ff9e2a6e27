// The proxy list as a test sees it: the items LoadProxyList gives the combo box, top item first, and
// the user's request for a fresh list ("UpdateProxy").
#pragma once
#include <deque>
#include <string>
#include "proxylist/proxy_list_loader.h"
#include "tests/support/install_folder.h"

using Items = std::deque<std::string>;

inline Items LoadItems(const std::string& listAddress, const DownloadLimits& limits = kListDownloadLimits) {
  struct Sink final : ProxyItemSink {
    void InsertAtTop(std::string_view text) override { items.emplace_front(text); }
    Items items;
  } sink;
  LoadProxyList(sink, listAddress, limits);
  return sink.items;
}

inline void RequestUpdate() { testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "UpdateProxy", 1); }
inline std::optional<DWORD> UpdateProxy() { return testreg::GetDword(HKEY_CURRENT_USER, kSettingsKey, "UpdateProxy"); }
