// quillbroker.exe run for real, as a browser in Protected Mode starts it; what it switches is read
// where Wine keeps it. (Nothing connects to these proxies: the band tests them before it asks.)
#include <windows.h>
#include <sddl.h>
#include <gtest/gtest.h>
#include <functional>
#include "build_config.h"
#include "host/server_registration.h"
#include "tests/support/program_run.h"

const std::string kBroker = PathBesideProgram("quillbroker.exe");
constexpr char kOwn[] = "10.20.30.40:3128";

DWORD Broker(const std::string& arguments) {
  const bool quillstop = arguments == "quillstop /S";  // the uninstaller's reset, as a last step
  const ProgramRun run = RunToEnd(quillstop ? "\"" + PathBesideProgram("quillstop.exe") + "\" /S" : "\"" + kBroker + "\" " + arguments);
  EXPECT_TRUE(run.ended && run.windows.empty()) << arguments;
  return run.exitCode;
}

class BrokerTest : public testing::Test {
 protected:
  void SetUp() override {
    StartLanConnection(kOwn);
    // An entry after a line break begins with it: its address is not a proxy address.
    m_folder.WriteList("127.0.0.1:8001- One<br />127.0.0.1:8002 - Two<br />\r\n127.0.0.1:8003- Three<br />");
  }
  static std::string State() { return SwitchState() + " | " + ProxyInUse(); }
  InstallFolder m_folder{"broker"};
};

TEST_F(BrokerTest, SwitchesOnOverAndOffToProxiesOfItsListGivingTheUsersOwnBack) {
  EXPECT_EQ(Broker("switch-over 127.0.0.1:8001"), 13u) << "nothing in use to switch over from";
  EXPECT_EQ(Broker("switch-on 127.0.0.1:8001"), 0u);
  EXPECT_EQ(State(), "127.0.0.1:8001 1 | 127.0.0.1:8001");
  EXPECT_EQ(Broker("switch-over \"127.0.0.1:8002 \""), 0u) << "the address as the toolbar cuts it, blank and all";
  EXPECT_EQ(State(), "127.0.0.1:8002  1 | 127.0.0.1:8002 ");
  EXPECT_EQ(Broker("switch-off"), 0u);
  EXPECT_EQ(State(), " 0 | " + std::string(kOwn));
}

// Each refusal says why in its exit code and changes nothing.
TEST_F(BrokerTest, RefusesAnythingButOneWellFormedRequestForAListedProxy) {
  // (Which arguments make a request and which entries offer a proxy: unit_tests.)
  const std::pair<std::string, DWORD> refused[] = {
      {"switch-on 127.0.0.1:8003", 11}, {"switch-on \"\r\n127.0.0.1:8003\"", 10}, {"", 10},
      {"switch-on 127.0.0.1:8001 switch-off", 10}};
  for (const auto& [arguments, code] : refused) EXPECT_EQ(Broker(arguments), code) << arguments;
  std::string filler;  // an entry past the entry limit is none of the list's
  for (unsigned i = 0; i < QUILLMASK_LIST_MAX_ENTRIES; ++i) filler += "10.0.0.1:1- Filler<br />";
  m_folder.WriteList(filler + "127.0.0.1:8001- One<br />");
  EXPECT_EQ(Broker("switch-on 127.0.0.1:8001"), 11u) << "past the entry limit";
  DeleteFileA(m_folder.ListFile().c_str());
  EXPECT_EQ(Broker("switch-on 127.0.0.1:8001"), 12u) << "no list to offer it";
  EXPECT_EQ(State(), "  | " + std::string(kOwn));
}

// What a page that took over a protected tab may write: the low-integrity copy of the user's key.
// Nothing planted there reaches the user's connection, through the broker or quillstop; nor does a
// copy of the settings that is not whole in the user's own key.
TEST_F(BrokerTest, ValuesPlantedWhereALowIntegrityPageWritesLeaveTheUsersOwnProxy) {
  const auto plantCopy = [](const char* key) {
    const std::string lan = std::string(key) + "\\OwnConnectionSettings\\LAN";
    testreg::SetDword(HKEY_CURRENT_USER, lan.c_str(), "Flags", 3);
    testreg::SetString(HKEY_CURRENT_USER, lan.c_str(), "ProxyServer", "6.6.6.6:6666");
  };
  const std::tuple<const char*, std::function<void()>, std::vector<std::string>> cases[] = {
      {"a copy, low", [&] { plantCopy(kLowIntegritySettingsKey); }, {"switch-on 127.0.0.1:8001", "switch-off"}},
      {"a copy, low, then quillstop", [&] { plantCopy(kLowIntegritySettingsKey); }, {"switch-on 127.0.0.1:8001", "quillstop /S"}},
      {"a state, low", [] {
         testreg::SetDword(HKEY_CURRENT_USER, kLowIntegritySettingsKey, "Enabled", 1);
         testreg::SetString(HKEY_CURRENT_USER, kLowIntegritySettingsKey, "ActiveIP", kOwn);
       }, {"switch-off"}},
      {"a half copy, own key", [&] { plantCopy(kSettingsKey); }, {"switch-on 127.0.0.1:8001", "switch-off"}}};
  for (const auto& [planted, plant, runs] : cases) {
    ClearUserState();
    StartLanConnection(kOwn);
    plant();
    for (const std::string& run : runs) EXPECT_EQ(Broker(run), 0u) << planted << ": " << run;
    EXPECT_EQ(ProxyInUse(), kOwn) << planted;
  }
}

// Where the system has no private namespaces (Wine), the lock is the session's named mutex: one
// that is not the user's (made by another user, or squatting the name) is not taken.
TEST_F(BrokerTest, RefusesASwitchLockThatIsNotTheUsers) {
  PSECURITY_DESCRIPTOR other = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("O:S-1-5-21-1-2-3-1001D:P(A;;GA;;;WD)", SDDL_REVISION_1,
                                                                   &other, nullptr));
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), other, FALSE};
  const HANDLE squatted = CreateMutexA(&attributes, FALSE, "Local\\Quillmask.ProxySwitch");
  ASSERT_NE(squatted, nullptr);
  EXPECT_EQ(Broker("switch-on 127.0.0.1:8001"), 14u);
  EXPECT_EQ(State(), "  | " + std::string(kOwn));
  CloseHandle(squatted), LocalFree(other);
  EXPECT_EQ(Broker("switch-on 127.0.0.1:8001"), 0u);
}
