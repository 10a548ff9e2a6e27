#include "bench/bench_support.h"

#include <algorithm>

#include "settings/registry_value.h"
#include "settings/settings_table.h"

std::string BenchListEntry(int i, bool withMarker) {
  return std::to_string(10 + i % 200) + "." + std::to_string(i / 65536 % 256) + "." + std::to_string(i / 256 % 256) +
         "." + std::to_string(i % 256) + ":8080- Somewhere, Some Country" + (withMarker ? "<supports POST> yes" : "") +
         "<br />";
}

std::string PrepareBenchFolder(const char* name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + name + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  RegistryString(setting::kAppPath) = folder;
  RegistryDword(setting::kUpdateProxy) = 0;
  return folder;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}
