// The proxy list as a test sees it: the items LoadProxyList gives the combo box, top item first.
#pragma once
#include <deque>
#include <string>
#include "proxylist/proxy_list_loader.h"

using Items = std::deque<std::string>;

inline Items LoadItems(const std::string& listAddress, const DownloadLimits& limits = kListDownloadLimits) {
  struct Sink final : ProxyItemSink {
    void InsertAtTop(std::string_view text) override { items.emplace_front(text); }
    Items items;
  } sink;
  LoadProxyList(sink, listAddress, limits);
  return sink.items;
}
