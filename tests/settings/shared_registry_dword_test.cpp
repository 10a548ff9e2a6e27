#include "settings/shared_registry_dword.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "settings/settings_table.h"
#include "tests/support/registry.h"

namespace {

constexpr char kSettingsKey[] = "Software\\Quillmask";

TEST(EnabledSettingTest, KeepsWhatItReadWhileAFreshObjectSeesAnotherWritersChange) {
  testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "Enabled", 1);
  EXPECT_EQ(static_cast<DWORD>(EnabledSetting), 1u);

  testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "Enabled", 0);
  EXPECT_EQ(static_cast<DWORD>(EnabledSetting), 1u);
  EXPECT_EQ(static_cast<DWORD>(RegistryDword(setting::kEnabled)), 0u);

  // Its own assignments keep cache and registry in step.
  EnabledSetting = 2;
  EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kSettingsKey, "Enabled"), 2u);
  EXPECT_EQ(static_cast<DWORD>(EnabledSetting), 2u);
  EnabledSetting = 0;
  EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kSettingsKey, "Enabled"), 0u);
}

TEST(SharedRegistryDwordTest, ConcurrentReadsAndWritesStayConsistent) {
  constexpr char kKey[] = "Software\\QuillmaskTest";
  testreg::DeleteKey(HKEY_LOCAL_MACHINE, kKey);
  SharedRegistryDword shared({"Software\\QuillmaskTest\\Shared", SettingScope::Machine}, 0);

  constexpr int kThreads = 8;
  constexpr int kRounds = 200;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&shared, t] {
      for (int round = 0; round < kRounds; ++round) {
        shared = static_cast<DWORD>(t * kRounds + round + 1);
        const DWORD seen = shared;
        ASSERT_GE(seen, 1u);
        ASSERT_LE(seen, static_cast<DWORD>(kThreads * kRounds));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(testreg::GetDword(HKEY_LOCAL_MACHINE, kKey, "Shared"), static_cast<DWORD>(shared))
      << "the last assignment is both cached and stored";
  testreg::DeleteKey(HKEY_LOCAL_MACHINE, kKey);
}

}  // namespace
