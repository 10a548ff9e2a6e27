// Prints how long the proxy list takes to read and cut, to normalise after a download, and to
// load into a box, for lists of 100, 10,000 and 100,000 entries (median of repeated runs).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "proxylist/list_file.h"
#include "proxylist/list_text.h"
#include "proxylist/proxy_list_loader.h"

namespace {

constexpr int kRuns = 9;

class KeepingSink final : public ProxyItemSink {
 public:
  void InsertAtTop(std::string_view text) override { items.emplace_front(text); }
  std::deque<std::string> items;
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

  std::printf("%10s %16s %16s %16s\n", "entries", "read+cut (ms)", "normalise (ms)", "load (ms)");
  for (int count : {100, 10000, 100000}) {
    std::string list, body;
    for (int i = 0; i < count; ++i) {
      list += BenchListEntry(i);
      body += BenchListEntry(i, i % 3 == 0) + "\n";
    }
    WriteListFile(listFile, list);

    size_t cut = 0;
    const double readAndCut = MedianMilliseconds([&] {
      const std::string text = ReadListFile(listFile).value_or(std::string());
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
    if (cut != static_cast<size_t>(count) || loaded != static_cast<size_t>(count) || normalisedSize == 0) {
      std::printf("wrong result: %zu cut, %zu loaded\n", cut, loaded);
      return 1;
    }
    std::printf("%10d %16.2f %16.2f %16.2f\n", count, readAndCut, normalise, load);
  }
  DeleteFileA(listFile.c_str());
  RemoveDirectoryA(folder.c_str());
  return 0;
}
