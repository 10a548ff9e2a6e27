// An item sink that records what the combo box would show, top item first.
#pragma once

#include <deque>
#include <string>

#include "proxylist/proxy_list_loader.h"

class RecordingSink final : public ProxyItemSink {
 public:
  void InsertAtTop(std::string_view text) override { items.emplace_front(text); }
  std::deque<std::string> items;
};
