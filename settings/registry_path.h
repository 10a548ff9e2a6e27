// Splitting of a full registry value path ("Key\Sub\Value") into key path and value name.
// Pure text logic, free of Win32, so that it can be tested and fuzzed natively.
#pragma once

#include <string>
#include <string_view>

struct RegistryPath {
  std::string keyPath;    // everything before the last backslash, trailing backslashes removed
  std::string valueName;  // everything after the last backslash
};

// Leading backslashes of the full path are ignored; a path without any backslash names a value
// directly under the root key.
RegistryPath SplitRegistryPath(std::string_view fullPath);
