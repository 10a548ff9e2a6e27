#include "settings/registry_path.h"

#include <gtest/gtest.h>

namespace {

struct PathCase {
  const char* fullPath;
  const char* keyPath;
  const char* valueName;
};

class SplitRegistryPathTest : public testing::TestWithParam<PathCase> {};

TEST_P(SplitRegistryPathTest, GivesKeyPathAndValueName) {
  const PathCase& c = GetParam();
  const RegistryPath path = SplitRegistryPath(c.fullPath);
  EXPECT_EQ(path.keyPath, c.keyPath);
  EXPECT_EQ(path.valueName, c.valueName);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SplitRegistryPathTest,
    testing::Values(PathCase{"Software\\Quillmask\\UpdateProxy", "Software\\Quillmask", "UpdateProxy"},
                    PathCase{"\\Software\\Quillmask\\Enabled", "Software\\Quillmask", "Enabled"},
                    PathCase{"\\\\\\Software\\Quillmask\\Enabled", "Software\\Quillmask", "Enabled"},
                    PathCase{"Software\\Quillmask\\\\\\Enabled", "Software\\Quillmask", "Enabled"},
                    PathCase{"Enabled", "", "Enabled"},
                    PathCase{"\\Enabled", "", "Enabled"},
                    PathCase{"Software\\", "Software", ""},
                    PathCase{"", "", ""},
                    PathCase{"\\\\", "", ""},
                    PathCase{"SOFTWARE\\RAS AutoDial\\Default\\DefaultInternet", "SOFTWARE\\RAS AutoDial\\Default",
                             "DefaultInternet"}));

}  // namespace
