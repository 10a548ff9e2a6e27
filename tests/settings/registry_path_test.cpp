// A full registry value path split into its key and value name.
#include "settings/registry_path.h"
#include <gtest/gtest.h>
#include <tuple>

TEST(SplitRegistryPathTest, TheLastBackslashSeparatesKeyAndValueAndLeadingOrDoubledOnesGo) {
  const struct { const char* full; const char* keyPath; const char* valueName; } cases[] = {
      {"Software\\Q\\Value", "Software\\Q", "Value"}, {"\\\\Software\\Q\\\\Value", "Software\\Q", "Value"},
      {"Value", "", "Value"}, {"\\Value", "", "Value"}, {"Key\\", "Key", ""}, {"", "", ""}, {"\\\\", "", ""}};
  for (const auto& c : cases) {
    const RegistryPath path = SplitRegistryPath(c.full);
    EXPECT_EQ(std::tie(path.keyPath, path.valueName), std::tie(c.keyPath, c.valueName)) << c.full;
  }
}
