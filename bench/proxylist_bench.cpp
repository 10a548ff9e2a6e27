// Prints how long the proxy list takes to read and cut, to normalise after a download, and to
// load into a box, for lists of 100, 10,000 and 100,000 entries (median of repeated runs). The
// file is read up to the build's size limit and the box takes the build's number of entries.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "build_config.h"
#include "proxylist/list_file.h"
#include "proxylist/list_text.h"
#include "proxylist/proxy_list_loader.h"

namespace {

constexpr int kRuns = 9;

class KeepingSink final : public ProxyItemSink {
 public:
  void Append(const std::vector<std::string_view>& texts) override { items.insert(items.end(), texts.begin(), texts.end()); }
  std::vector<std::string> items;
};

double MedianMilliseconds(const std::function<void()>& work) {
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    work();
    QueryPerformanceCounter(&end);
    times.push_back(Milliseconds(start, end));
  }
  return Median(times);
}


}  // namespace

int main() {
  const std::string folder = PrepareBenchFolder("quillmask-bench");
  const std::string listFile = BuildListPath(folder);

  std::printf("%10s %16s %16s %16s %10s\n", "entries", "read+cut (ms)", "normalise (ms)", "load (ms)", "items");
  for (int count : {100, 10000, 100000}) {
    std::string list, body;
    for (int i = 0; i < count; ++i) {
      list += BenchListEntry(i);
      body += BenchListEntry(i, i % 3 == 0) + "\n";
    }
    WriteListFile(listFile, list);

    size_t cut = 0;
    const double readAndCut = MedianMilliseconds([&] {
      const std::string text = ReadListFile(listFile, QUILLMASK_LIST_MAX_BYTES).value_or(std::string());
      cut = CutEntries(text).size();
    });
    size_t normalisedSize = 0;
    const double normalise = MedianMilliseconds([&] { normalisedSize = NormaliseListText(ExpandLineFeeds(body)).size(); });
    size_t loaded = 0;
    const double load = MedianMilliseconds([&] {
      KeepingSink sink;
      LoadProxyList(sink, "http://127.0.0.1:9/unused");
      loaded = sink.items.size();
    });
    const size_t withinSize = CutEntries(std::string_view(list).substr(0, QUILLMASK_LIST_MAX_BYTES)).size();
    if (cut != withinSize || loaded != std::min<size_t>(withinSize, QUILLMASK_LIST_MAX_ENTRIES) || normalisedSize == 0) {
      std::printf("wrong result: %zu cut, %zu loaded\n", cut, loaded);
      return 1;
    }
    std::printf("%10d %16.2f %16.2f %16.2f %10zu\n", count, readAndCut, normalise, load, loaded);
  }
  DeleteFileA(listFile.c_str());
  RemoveDirectoryA(folder.c_str());
  return 0;
}
