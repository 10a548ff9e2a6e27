// Prints how long a list download (FetchProxyList: a new session and connection each time, as a
// refresh makes) takes over HTTP and over HTTPS on loopback, for lists of 100 and 10,000 entries,
// and their ratio (median of repeated runs). tools/run-download-bench starts the servers and makes
// the prefix trust their authority first.
//   list_download_bench.exe SERVED_FOLDER http://127.0.0.1:PORT https://localhost:PORT
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "proxylist/fetch_proxy_list.h"

namespace {

constexpr int kRuns = 15;

// The download's milliseconds, and whether the whole list arrived.
double TimedDownload(const std::string& address, size_t expectedSize, bool& whole) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  const std::string list = FetchProxyList(address);
  QueryPerformanceCounter(&end);
  whole = whole && list.size() == expectedSize;
  return Milliseconds(start, end);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: list_download_bench SERVED_FOLDER HTTP_SERVER HTTPS_SERVER\n");
    return 2;
  }
  // The download echoes what it received on the console; the figures alone go there.
  std::fflush(stdout);
  const int console = _dup(_fileno(stdout));
  const int nul = _open("NUL", _O_WRONLY);
  if (console < 0 || nul < 0) return 1;

  std::printf("List download on loopback, median of %d (ms)\n%10s %12s %12s %12s\n", kRuns, "entries", "http",
              "https", "https/http");
  for (int count : {100, 10000}) {
    std::string list;
    for (int i = 0; i < count; ++i) list += BenchListEntry(i);
    const std::string name = "bench-" + std::to_string(count) + ".txt";
    std::ofstream(std::string(argv[1]) + "\\" + name, std::ios::binary) << list;

    std::vector<double> plain, secure;
    bool whole = true;
    std::fflush(stdout);
    _dup2(nul, _fileno(stdout));
    for (int run = 0; run < kRuns; ++run) {
      plain.push_back(TimedDownload(std::string(argv[2]) + "/" + name, list.size(), whole));
      secure.push_back(TimedDownload(std::string(argv[3]) + "/" + name, list.size(), whole));
    }
    std::fflush(stdout);
    _dup2(console, _fileno(stdout));
    if (!whole) {
      std::printf("a download failed or was cut short (%d entries)\n", count);
      return 1;
    }
    std::printf("%10d %12.2f %12.2f %12.1f\n", count, Median(plain), Median(secure), Median(secure) / Median(plain));
  }
  return 0;
}
