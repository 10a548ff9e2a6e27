// The proxy list as a test sees it: the items LoadProxyList gives the combo box, top item first, and
// the user's request for a fresh list ("UpdateProxy").
#pragma once
#include <deque>
#include <string>
#include "proxylist/proxy_list_loader.h"
#include "tests/support/install_folder.h"

using Items = std::deque<std::string>;

inline Items LoadItems(const std::string& listAddress, const DownloadLimits& limits = kListDownloadLimits,
                       DelegatedRefresh delegatedRefresh = nullptr) {
  struct Sink final : ProxyItemSink {
    void Append(const std::vector<std::string_view>& texts) override {
      items.insert(items.end(), texts.begin(), texts.end());
    }
    Items items;
  } sink;
  LoadProxyList(sink, listAddress, limits, delegatedRefresh);
  return sink.items;
}

inline void RequestUpdate() { testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "UpdateProxy", 1); }
inline std::optional<DWORD> UpdateProxy() { return testreg::GetDword(HKEY_CURRENT_USER, kSettingsKey, "UpdateProxy"); }
