// The proxy list as a test sees it: the items LoadProxyList gives the combo box, top item first,
// and files read byte for byte.
#pragma once

#include <deque>
#include <fstream>
#include <iterator>
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

inline std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
