#include "settings/registry_path.h"

RegistryPath SplitRegistryPath(std::string_view fullPath) {
  const size_t firstNonSlash = fullPath.find_first_not_of('\\');
  if (firstNonSlash == std::string_view::npos) return {};
  fullPath.remove_prefix(firstNonSlash);

  const size_t lastSlash = fullPath.rfind('\\');
  if (lastSlash == std::string_view::npos) return {std::string(), std::string(fullPath)};

  std::string_view keyPath = fullPath.substr(0, lastSlash);
  const size_t keyEnd = keyPath.find_last_not_of('\\');
  keyPath = keyEnd == std::string_view::npos ? std::string_view() : keyPath.substr(0, keyEnd + 1);
  return {std::string(keyPath), std::string(fullPath.substr(lastSlash + 1))};
}
