// Wine shows the Unix file system as drive Z:.
#pragma once
#include <algorithm>
#include <string>

inline std::string WindowsPathFromUnix(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return "Z:" + path;
}
