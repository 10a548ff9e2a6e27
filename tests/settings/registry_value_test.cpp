// Registry values and the toolbar's settings against Wine's registry.
#include <gtest/gtest.h>
#include "settings/registry_value.h"
#include "tests/support/registry.h"

constexpr char kKey[] = "Software\\QuillmaskTest", kLowKey[] = "Software\\AppDataLow\\Software\\QuillmaskTest";
constexpr char kNumber[] = "Software\\QuillmaskTest\\Number";
constexpr Setting<DWORD> kUsers = {kNumber, SettingScope::UserOverMachine, 99};

class RegistryValueTest : public testing::Test {
 protected:
  void SetUp() override { TearDown(); }
  void TearDown() override {
    for (const char* key : {kKey, kLowKey}) testreg::DeleteKey(HKEY_CURRENT_USER, key);
    testreg::DeleteKey(HKEY_LOCAL_MACHINE, kKey);
  }
  static std::optional<DWORD> Stored(HKEY root) { return testreg::GetDword(root, kKey, "Number"); }
};

TEST_F(RegistryValueTest, ReadsAValueOfItsOwnTypeWithinItsBytesElseTheDefault) {
  const std::string longText(70000, 'x');
  const struct { DWORD type; std::string bytes, text; DWORD number; } cases[] = {
      {REG_SZ, "abcdef", "abcdef", 7}, {REG_SZ, {"ab\0cd", 5}, "ab", 7}, {REG_SZ, longText, longText, 7},
      {REG_EXPAND_SZ, {"%TEMP%\\q", 9}, "%TEMP%\\q", 7}, {REG_DWORD, {"abc", 4}, "fallback", 0x00636261},
      {REG_DWORD, "\x01\x02", "fallback", 7}, {REG_BINARY, "\x01\x02\x03\x04", "fallback", 7}};
  for (const auto& c : cases) {
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kKey, "Number", c.type, c.bytes.data(), c.bytes.size()), 0);
    EXPECT_EQ(RegistryString(kNumber, "fallback").Read() + " " + std::to_string(RegistryDword(kNumber, 7).Read()),
              c.text + " " + std::to_string(c.number)) << "type " << c.type << ", " << c.bytes.size() << " bytes";
  }
}

TEST_F(RegistryValueTest, WritesOnlyAChangeFromWhatItRead) {
  RegistryDword number(kNumber, 7);
  number = 0;
  EXPECT_FALSE(testreg::KeyExists(HKEY_LOCAL_MACHINE, kKey)) << "0 for an absent value: no write";
  testreg::SetDword(HKEY_LOCAL_MACHINE, kKey, "Number", 5);
  EXPECT_EQ(number.Read(), 5u);
  testreg::SetDword(HKEY_LOCAL_MACHINE, kKey, "Number", 9);  // another writer, behind the object's back
  number = 5;
  EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE), 9u) << "equal to what it read: no write";
}

// A standard user's browser may not write the machine's key; one at low integrity not the user's.
TEST_F(RegistryValueTest, UsersSettingGoesToTheFirstKeyThatTakesItElseToMemory) {
  testreg::SetDword(HKEY_LOCAL_MACHINE, kKey, "Number", 5);
  EXPECT_EQ(ReadSetting(kUsers), 5u) << "an earlier version's machine-wide value still counts";
  WriteSetting(kUsers, 5);
  EXPECT_EQ(Stored(HKEY_CURRENT_USER), std::nullopt) << "what it holds already is not written";
  EXPECT_EQ(ReadSetting(Setting<DWORD>{kNumber, SettingScope::User, 99}), 99u) << "not for a user-only one";
  testreg::ReadOnlyKey machine(HKEY_LOCAL_MACHINE, kKey);
  RegistryDword number(kUsers);
  number = 7;
  EXPECT_EQ(Stored(HKEY_CURRENT_USER), 7u);
  for (const bool again : {true, false}) {
    testreg::ReadOnlyKey user(HKEY_CURRENT_USER, kKey);
    number = 2;
    EXPECT_EQ(ReadSetting(kUsers), 2u) << "the key this process may write is read first";
    {
      testreg::ReadOnlyKey low(HKEY_CURRENT_USER, kLowKey);
      number = 3;
      EXPECT_FALSE(number.Write()) << "no success claimed for a write that did not happen";
      EXPECT_EQ(ReadSetting(kUsers), 3u) << "kept in memory for the rest of the process";
    }
    if (!again) break;  // the second time memory keeps it
    number = 4;  // a key takes it again: memory lets go
    testreg::DeleteValue(HKEY_CURRENT_USER, kLowKey, "Number");
    EXPECT_EQ(ReadSetting(kUsers), 7u);
  }
  testreg::SetDword(HKEY_CURRENT_USER, kLowKey, "Number", 8);
  EXPECT_TRUE(DeleteUserKey(kKey));
  EXPECT_EQ(ReadSetting(kUsers), 5u) << "the user's value is gone from both keys and from memory";
}

// RegSetValueExA adds a terminator that the byte after the text provides, RegQueryValueExA one that
// is missing: the empty text (a proxy switched off), queried wide, shows whether one is written.
TEST_F(RegistryValueTest, WritesATextWithItsTerminatingZero) {
  RegistryString written(Setting<std::string>{kNumber, SettingScope::User, ""}, true);  // so that "" is written
  written = "";
  HKEY key = nullptr;
  WCHAR text[2] = {L'x'};
  DWORD type = 0, size = sizeof(text);
  RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\QuillmaskTest", 0, KEY_READ, &key);
  RegQueryValueExW(key, L"Number", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  EXPECT_EQ(std::to_string(type) + " " + std::to_string(size) + " " + std::to_string(text[0]), "1 2 0");
}
