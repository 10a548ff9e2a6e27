#include "tests/support/wine_paths.h"
#include <algorithm>

std::string WindowsPathFromUnix(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}
