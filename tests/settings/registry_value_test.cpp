// RegistryDword and RegistryString against Wine's registry.
#include "settings/registry_value.h"

#include <gtest/gtest.h>

#include "settings/settings_table.h"
#include "tests/support/registry.h"

namespace {

constexpr char kKey[] = "Software\\QuillmaskTest";
constexpr char kNumberPath[] = "Software\\QuillmaskTest\\Number";
constexpr char kTextPath[] = "Software\\QuillmaskTest\\Text";

class RegistryValueTest : public testing::Test {
 protected:
  void SetUp() override { testreg::DeleteKey(HKEY_LOCAL_MACHINE, kKey); }
  void TearDown() override { testreg::DeleteKey(HKEY_LOCAL_MACHINE, kKey); }
};

TEST_F(RegistryValueTest, MissingKeyGivesDefaultAndIsReadAgainLater) {
  RegistryDword number(kNumberPath, 7);
  RegistryString text(kTextPath, "fallback");
  EXPECT_EQ(static_cast<DWORD>(number), 7u);
  EXPECT_EQ(static_cast<std::string>(text), "fallback");
  EXPECT_FALSE(testreg::KeyExists(HKEY_LOCAL_MACHINE, kKey)) << "reading must create nothing";

  testreg::SetDword(HKEY_LOCAL_MACHINE, kKey, "Number", 42);
  testreg::SetString(HKEY_LOCAL_MACHINE, kKey, "Text", "stored");
  EXPECT_EQ(static_cast<DWORD>(number), 42u);
  EXPECT_EQ(static_cast<std::string>(text), "stored");
}

TEST_F(RegistryValueTest, LeadingBackslashesAddressTheSameValue) {
  testreg::SetDword(HKEY_LOCAL_MACHINE, kKey, "Number", 5);
  EXPECT_EQ(static_cast<DWORD>(RegistryDword("\\\\Software\\QuillmaskTest\\Number")), 5u);
}

TEST_F(RegistryValueTest, OnceReadAnswersFromItsCache) {
  testreg::SetDword(HKEY_LOCAL_MACHINE, kKey, "Number", 5);
  RegistryDword number(kNumberPath);
  testreg::SetDword(HKEY_LOCAL_MACHINE, kKey, "Number", 6);
  EXPECT_EQ(static_cast<DWORD>(number), 5u);
  EXPECT_EQ(number.Read(), 6u);
  EXPECT_EQ(static_cast<DWORD>(RegistryDword(kNumberPath)), 6u);
}

TEST_F(RegistryValueTest, AssignmentWritesOnlyWhenTheCachedValueDiffers) {
  testreg::SetDword(HKEY_LOCAL_MACHINE, kKey, "Number", 5);
  testreg::SetString(HKEY_LOCAL_MACHINE, kKey, "Text", "same");
  RegistryDword number(kNumberPath);
  RegistryString text(kTextPath);
  // Another writer changes the values behind the objects' backs.
  testreg::SetDword(HKEY_LOCAL_MACHINE, kKey, "Number", 9);
  testreg::SetString(HKEY_LOCAL_MACHINE, kKey, "Text", "other");

  number = 5;
  text = std::string("same");
  EXPECT_EQ(testreg::GetDword(HKEY_LOCAL_MACHINE, kKey, "Number"), 9u) << "equal to the cache: no write";
  EXPECT_EQ(testreg::GetString(HKEY_LOCAL_MACHINE, kKey, "Text"), "other");

  number = 6;
  text = std::string("Same");  // case counts
  EXPECT_EQ(testreg::GetDword(HKEY_LOCAL_MACHINE, kKey, "Number"), 6u);
  EXPECT_EQ(testreg::GetString(HKEY_LOCAL_MACHINE, kKey, "Text"), "Same");
  EXPECT_EQ(static_cast<DWORD>(number), 6u);
}

TEST_F(RegistryValueTest, ForceReadsAndWritesEveryTime) {
  testreg::SetDword(HKEY_LOCAL_MACHINE, kKey, "Number", 5);
  RegistryDword number(kNumberPath, 0, true);
  testreg::SetDword(HKEY_LOCAL_MACHINE, kKey, "Number", 9);
  EXPECT_EQ(static_cast<DWORD>(number), 9u);
  testreg::SetDword(HKEY_LOCAL_MACHINE, kKey, "Number", 1);
  number = 9;
  EXPECT_EQ(testreg::GetDword(HKEY_LOCAL_MACHINE, kKey, "Number"), 9u);
}

TEST_F(RegistryValueTest, AssigningTheInitialValueToAnAbsentValueCreatesNothing) {
  RegistryDword number(kNumberPath);
  RegistryString text(kTextPath);
  number = 0;
  text = std::string();
  EXPECT_FALSE(testreg::KeyExists(HKEY_LOCAL_MACHINE, kKey));
}

TEST_F(RegistryValueTest, WritesCreateTheKeyAndStoreTextsWithTheirZero) {
  RegistryDword number(kNumberPath);
  RegistryString text(kTextPath);
  number = 0x12345678;
  text = std::string("127.0.0.1:8080 ");

  const auto storedNumber = testreg::GetRaw(HKEY_LOCAL_MACHINE, kKey, "Number");
  ASSERT_TRUE(storedNumber);
  EXPECT_EQ(storedNumber->type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(testreg::GetDword(HKEY_LOCAL_MACHINE, kKey, "Number"), 0x12345678u);

  const auto storedText = testreg::GetRaw(HKEY_LOCAL_MACHINE, kKey, "Text");
  ASSERT_TRUE(storedText);
  EXPECT_EQ(storedText->type, static_cast<DWORD>(REG_SZ));
  const std::vector<BYTE> expected = {'1', '2', '7', '.', '0', '.', '0', '.', '1', ':', '8', '0', '8', '0', ' ', 0};
  EXPECT_EQ(storedText->data, expected);
}

TEST_F(RegistryValueTest, CurrentUserRootIsHonoured) {
  testreg::DeleteKey(HKEY_CURRENT_USER, kKey);
  testreg::SetDword(HKEY_CURRENT_USER, kKey, "Number", 3);
  EXPECT_EQ(static_cast<DWORD>(RegistryDword(kNumberPath, 0, false, HKEY_CURRENT_USER)), 3u);
  EXPECT_EQ(static_cast<DWORD>(RegistryDword(kNumberPath, 0, false, HKEY_LOCAL_MACHINE)), 0u);
  testreg::DeleteKey(HKEY_CURRENT_USER, kKey);
}

TEST_F(RegistryValueTest, TextWithoutTerminatorOrWithInnerZeroIsReadWithinItsBytes) {
  testreg::SetRaw(HKEY_LOCAL_MACHINE, kKey, "Text", REG_SZ, "abcdef", 6);
  EXPECT_EQ(static_cast<std::string>(RegistryString(kTextPath)), "abcdef");

  testreg::SetRaw(HKEY_LOCAL_MACHINE, kKey, "Text", REG_SZ, "ab\0cd", 5);
  EXPECT_EQ(static_cast<std::string>(RegistryString(kTextPath)), "ab");

  testreg::SetRaw(HKEY_LOCAL_MACHINE, kKey, "Text", REG_SZ, "", 0);
  EXPECT_EQ(static_cast<std::string>(RegistryString(kTextPath, "fallback")), "");

  const std::string longText(70000, 'x');
  testreg::SetRaw(HKEY_LOCAL_MACHINE, kKey, "Text", REG_SZ, longText.data(), static_cast<DWORD>(longText.size()));
  EXPECT_EQ(static_cast<std::string>(RegistryString(kTextPath)), longText);
}

TEST_F(RegistryValueTest, ValueOfAnotherTypeGivesTheDefault) {
  const DWORD number = 0x00636261;  // "abc" as bytes
  testreg::SetRaw(HKEY_LOCAL_MACHINE, kKey, "Text", REG_DWORD, &number, sizeof(number));
  EXPECT_EQ(static_cast<std::string>(RegistryString(kTextPath, "fallback")), "fallback");
  testreg::SetRaw(HKEY_LOCAL_MACHINE, kKey, "Text", REG_BINARY, "\x01\x02\x03", 3);
  EXPECT_EQ(static_cast<std::string>(RegistryString(kTextPath, "fallback")), "fallback");

  testreg::SetRaw(HKEY_LOCAL_MACHINE, kKey, "Number", REG_SZ, "12", 3);
  EXPECT_EQ(static_cast<DWORD>(RegistryDword(kNumberPath, 7)), 7u);
  testreg::SetRaw(HKEY_LOCAL_MACHINE, kKey, "Number", REG_DWORD, "\x01\x02", 2);
  EXPECT_EQ(static_cast<DWORD>(RegistryDword(kNumberPath, 7)), 7u);
  const ULONGLONG wide = 5;
  testreg::SetRaw(HKEY_LOCAL_MACHINE, kKey, "Number", REG_QWORD, &wide, sizeof(wide));
  EXPECT_EQ(static_cast<DWORD>(RegistryDword(kNumberPath, 7)), 7u);
}

TEST_F(RegistryValueTest, ExpandableTextIsReadUnexpanded) {
  testreg::SetRaw(HKEY_LOCAL_MACHINE, kKey, "Text", REG_EXPAND_SZ, "%TEMP%\\q", 9);
  EXPECT_EQ(static_cast<std::string>(RegistryString(kTextPath)), "%TEMP%\\q");
}

// A user's setting, with the machine's value behind it, as a standard user's browser meets it.
class UserSettingTest : public testing::Test {
 protected:
  static constexpr SettingName kNumber = {kNumberPath, SettingScope::UserOverMachine};
  static constexpr char kLowKey[] = "Software\\AppDataLow\\Software\\QuillmaskTest";
  void SetUp() override { TearDown(); }
  void TearDown() override {
    testreg::DeleteKey(HKEY_LOCAL_MACHINE, kKey);
    testreg::DeleteKey(HKEY_CURRENT_USER, kKey);
    testreg::DeleteKey(HKEY_CURRENT_USER, kLowKey);
  }
  static DWORD Fresh() { return RegistryDword(kNumber, 99); }
};

TEST_F(UserSettingTest, MachineValueAnswersUntilTheUserHasOneAndWritesGoToTheUser) {
  EXPECT_EQ(Fresh(), 99u);
  testreg::SetDword(HKEY_LOCAL_MACHINE, kKey, "Number", 5);
  EXPECT_EQ(Fresh(), 5u) << "an earlier version's machine-wide value still counts";
  testreg::SetDword(HKEY_CURRENT_USER, kKey, "Number", 6);
  EXPECT_EQ(Fresh(), 6u);

  testreg::ReadOnlyKey machine(HKEY_LOCAL_MACHINE, kKey);  // a standard user
  RegistryDword number(kNumber);
  number = 7;
  EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kKey, "Number"), 7u);
  EXPECT_EQ(testreg::GetDword(HKEY_LOCAL_MACHINE, kKey, "Number"), 5u);
}

TEST_F(UserSettingTest, RefusedWritesGoToTheLowIntegrityKeyThenStayInMemory) {
  testreg::SetDword(HKEY_CURRENT_USER, kKey, "Number", 1);
  testreg::ReadOnlyKey user(HKEY_CURRENT_USER, kKey);  // a browser at low integrity
  {
    RegistryDword number(kNumber);
    number = 2;
    EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kLowKey, "Number"), 2u);
    EXPECT_EQ(Fresh(), 2u) << "the key this process may write is read first";
  }
  {
    testreg::ReadOnlyKey low(HKEY_CURRENT_USER, kLowKey);
    RegistryDword number(kNumber);
    number = 3;
    EXPECT_FALSE(number.Write()) << "no success claimed for a write that did not happen";
    EXPECT_EQ(static_cast<DWORD>(number), 3u);
    EXPECT_EQ(Fresh(), 3u) << "kept in memory for the rest of the process";
    EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kLowKey, "Number"), 2u);
  }
  RegistryDword number(kNumber);
  number = 4;  // a key takes it again: memory lets go
  EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kLowKey, "Number"), 4u);
  testreg::DeleteValue(HKEY_CURRENT_USER, kLowKey, "Number");
  EXPECT_EQ(Fresh(), 1u);
}

}  // namespace
