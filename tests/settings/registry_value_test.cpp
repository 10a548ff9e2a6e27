// Registry values and the toolbar's settings against Wine's registry.
#include <gtest/gtest.h>
#include "settings/registry_value.h"
#include "settings/user_keys.h"
#include "tests/support/install_folder.h"

constexpr char kKey[] = "Software\\QuillmaskTest", kLowKey[] = "Software\\AppDataLow\\Software\\QuillmaskTest";
constexpr char kNumber[] = "Software\\QuillmaskTest\\Number";

class RegistryValueTest : public testing::Test {
 protected:
  void SetUp() override { TearDown(); }
  void TearDown() override {
    for (const char* key : {kKey, kLowKey}) testreg::DeleteKey(HKEY_CURRENT_USER, key);
    testreg::DeleteKey(HKEY_LOCAL_MACHINE, kKey);
  }
  static std::optional<DWORD> Stored(HKEY root, const char* key = kKey) { return testreg::GetDword(root, key, "Number"); }
  static DWORD Fresh() { return RegistryDword({kNumber, SettingScope::UserOverMachine}, 99); }
};

TEST_F(RegistryValueTest, ReadsAValueOfItsOwnTypeWithinItsBytesElseTheDefault) {
  const std::string longText(70000, 'x');
  const struct { DWORD type; std::string bytes, text; DWORD number; } cases[] = {
      {REG_SZ, "abcdef", "abcdef", 7}, {REG_SZ, {"ab\0cd", 5}, "ab", 7}, {REG_SZ, longText, longText, 7},
      {REG_EXPAND_SZ, {"%TEMP%\\q", 9}, "%TEMP%\\q", 7}, {REG_DWORD, {"abc", 4}, "fallback", 0x00636261},
      {REG_DWORD, "\x01\x02", "fallback", 7}, {REG_BINARY, "\x01\x02\x03\x04", "fallback", 7}};
  for (const auto& c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.type) + ", " + std::to_string(c.bytes.size()) + " bytes");
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kKey, "Number", c.type, c.bytes.data(), c.bytes.size()), ERROR_SUCCESS);
    EXPECT_EQ(static_cast<std::string>(RegistryString(kNumber, "fallback")), c.text);
    EXPECT_EQ(static_cast<DWORD>(RegistryDword(kNumber, 7)), c.number);
  }
}

TEST_F(RegistryValueTest, AnswersFromItsCacheAndWritesOnlyChangesUnlessForced) {
  RegistryDword number(kNumber, 7);
  EXPECT_EQ(static_cast<DWORD>(number), 7u);
  EXPECT_FALSE(testreg::KeyExists(HKEY_LOCAL_MACHINE, kKey)) << "reading creates nothing";
  testreg::SetDword(HKEY_LOCAL_MACHINE, kKey, "Number", 5);
  RegistryDword forced(kNumber, 0, true);
  EXPECT_EQ(static_cast<DWORD>(number), 5u) << "a default is not cached";
  testreg::SetDword(HKEY_LOCAL_MACHINE, kKey, "Number", 9);  // another writer, behind the objects' backs
  EXPECT_EQ(static_cast<DWORD>(number), 5u);
  EXPECT_EQ(static_cast<DWORD>(forced), 9u);
  number = 5;
  EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE), 9u) << "equal to the cache: no write";
  number = 6;
  forced = 9;
  EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE), 9u) << "forced: written though equal";
}

// A standard user's browser may not write the machine's key; one at low integrity not the user's.
TEST_F(RegistryValueTest, UsersSettingGoesToTheFirstKeyThatTakesItElseToMemory) {
  EXPECT_EQ(Fresh(), 99u);
  testreg::SetDword(HKEY_LOCAL_MACHINE, kKey, "Number", 5);
  EXPECT_EQ(Fresh(), 5u) << "an earlier version's machine-wide value still counts";
  EXPECT_EQ(static_cast<DWORD>(RegistryDword({kNumber, SettingScope::User}, 99)), 99u) << "not for a user-only one";
  testreg::SetDword(HKEY_CURRENT_USER, kKey, "Number", 1);
  EXPECT_EQ(Fresh(), 1u);
  testreg::ReadOnlyKey machine(HKEY_LOCAL_MACHINE, kKey);
  RegistryDword number({kNumber, SettingScope::UserOverMachine});
  number = 7;
  EXPECT_EQ(Stored(HKEY_CURRENT_USER), 7u);
  for (const bool again : {true, false}) {
    testreg::ReadOnlyKey user(HKEY_CURRENT_USER, kKey);
    number = 2;
    EXPECT_EQ(Fresh(), 2u) << "the key this process may write is read first";
    {
      testreg::ReadOnlyKey low(HKEY_CURRENT_USER, kLowKey);
      number = 3;
      EXPECT_FALSE(number.Write()) << "no success claimed for a write that did not happen";
      EXPECT_EQ(Fresh(), 3u) << "kept in memory for the rest of the process";
    }
    if (!again) break;  // the second time memory keeps it
    number = 4;  // a key takes it again: memory lets go
    testreg::DeleteValue(HKEY_CURRENT_USER, kLowKey, "Number");
    EXPECT_EQ(Fresh(), 7u);
  }
  testreg::SetDword(HKEY_CURRENT_USER, kLowKey, "Number", 8);
  EXPECT_TRUE(DeleteUserKey(kKey));
  EXPECT_EQ(Fresh(), 5u) << "the user's value is gone from both keys and from memory";
}
