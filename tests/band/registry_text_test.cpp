// Placeholders in registration texts.
#include "framework/registry_text.h"

#include <gtest/gtest.h>

namespace {

TEST(RegistryTextTest, FillsInKnownNamesAndRefusesTheRest) {
  const std::vector<RegistryReplacement> replacements = {{"MODULE", "C:\\a b\\q.dll"}, {"CLSID", "{1}"}};
  EXPECT_EQ(ExpandRegistryText("CLSID\\%CLSID%\\x", replacements), "CLSID\\{1}\\x");
  EXPECT_EQ(ExpandRegistryText("%MODULE%", replacements), "C:\\a b\\q.dll");
  EXPECT_EQ(ExpandRegistryText("%CLSID%%MODULE%", replacements), "{1}C:\\a b\\q.dll");
  EXPECT_EQ(ExpandRegistryText("100%% sure", replacements), "100% sure");
  EXPECT_EQ(ExpandRegistryText("plain", replacements), "plain");
  EXPECT_EQ(ExpandRegistryText("", replacements), "");
  EXPECT_EQ(ExpandRegistryText("%OTHER%", replacements), std::nullopt);
  EXPECT_EQ(ExpandRegistryText("open %MODULE", replacements), std::nullopt);
  EXPECT_EQ(ExpandRegistryText("%module%", replacements), std::nullopt) << "names are exact";
}

}  // namespace
