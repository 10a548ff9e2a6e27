// A downloaded list body as a hostile server or proxy may send it, through what the band and the
// broker do with it: normalise it, cut it into entries, keep the first ones within a limit (the
// input's first byte), cut each entry into an item, and write and read it as the list file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "proxylist/list_text.h"
#include "tests/fuzz/fuzz_check.h"
#include "proxylist/proxy_choice.h"

static bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t maxItems = data[0];
  const std::string_view body(reinterpret_cast<const char*>(data) + 1, size - 1);

  const std::string list = NormaliseListText(body);
  FUZZ_REQUIRE(list.empty() || EndsWith(list, kEntryTerminator));
  FUZZ_REQUIRE(NormaliseListText(list) == list);
  FUZZ_REQUIRE(CutEntries(list).size() == CutEntries(body).size());

  const std::string_view first = FirstEntries(list, maxItems);
  FUZZ_REQUIRE(list.compare(0, first.size(), first) == 0 && (first.empty() || EndsWith(first, kEntryTerminator)));
  size_t items = 0;
  for (const std::string_view entry : CutEntries(first)) {
    FUZZ_REQUIRE(entry.find(kEntryTerminator) == std::string_view::npos);
    if (entry == kPlaceholderEntry) continue;
    ++items;
    const ProxyChoice choice = CutProxyItem(entry);
    FUZZ_REQUIRE(entry.compare(0, choice.address.size(), choice.address) == 0);
    FUZZ_REQUIRE(EndsWith(entry, choice.location) && choice.address.compare(0, choice.host.size(), choice.host) == 0);
  }
  FUZZ_REQUIRE(items <= maxItems);

  FUZZ_REQUIRE(TextModeRead(ExpandLineFeeds(list)) == list);
  return 0;
}
