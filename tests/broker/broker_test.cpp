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
  const std::string quillstop = "\"" + PathBesideProgram("quillstop.exe") + "\" /S";  // the uninstaller's reset
  const ProgramRun run = RunToEnd(arguments == "quillstop /S" ? quillstop : "\"" + kBroker + "\" " + arguments);
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

// Requests run in turn: a refused one's exit code says why, and it changes nothing. (Which arguments make
// a request and which entries offer a proxy: unit_tests.)
TEST_F(BrokerTest, SwitchesOnOverAndOffToProxiesOfItsListGivingTheUsersOwnBack) {
  const std::string own = kOwn, off = "  | " + own, on = "127.0.0.1:8001 1 | 127.0.0.1:8001";
  const std::tuple<std::string, DWORD, std::string> runs[] = {
      {"switch-over 127.0.0.1:8001", 13, off},  // nothing in use to switch over from
      {"switch-on 127.0.0.1:8003", 11, off}, {"switch-on \"\r\n127.0.0.1:8003\"", 10, off},
      {"switch-on 127.0.0.1:8001", 0, on}, {"", 10, on}, {"switch-on 127.0.0.1:8002 switch-off", 10, on},
      {"switch-over \"127.0.0.1:8002 \"", 0, "127.0.0.1:8002  1 | 127.0.0.1:8002 "},  // blank and all
      {"switch-off", 0, " 0 | " + own}};
  for (const auto& [arguments, code, state] : runs) {
    const DWORD exitCode = Broker(arguments);
    EXPECT_EQ(std::to_string(exitCode) + " " + State(), std::to_string(code) + " " + state) << arguments;
  }
  std::string filler;  // an entry past the entry limit is none of the list's
  for (unsigned i = 0; i < QUILLMASK_LIST_MAX_ENTRIES; ++i) filler += "10.0.0.1:1- Filler<br />";
  m_folder.WriteList(filler + "127.0.0.1:8001- One<br />");
  EXPECT_EQ(Broker("switch-on 127.0.0.1:8001"), 11u) << "past the entry limit";
  DeleteFileA(m_folder.ListFile().c_str());
  EXPECT_EQ(Broker("switch-on 127.0.0.1:8001"), 12u) << "no list to offer it";
  EXPECT_EQ(State(), " 0 | " + own);
}

// A page that took over a protected tab may write the low-integrity copy of the user's key; nothing planted
// there reaches the connection, through the broker or quillstop; nor does a half copy in the user's own key.
TEST_F(BrokerTest, ValuesPlantedWhereALowIntegrityPageWritesLeaveTheUsersOwnProxy) {
  const auto plantCopy = [](const char* key) {
    const std::string lan = std::string(key) + "\\OwnConnectionSettings\\LAN";
    testreg::SetDword(HKEY_CURRENT_USER, lan.c_str(), "Flags", 3);
    testreg::SetString(HKEY_CURRENT_USER, lan.c_str(), "ProxyServer", "6.6.6.6:6666");
  };
  const std::string on = "switch-on 127.0.0.1:8001";
  const std::tuple<const char*, std::function<void()>, std::vector<std::string>> cases[] = {
      {"a copy, low", [&] { plantCopy(kLowIntegritySettingsKey); }, {on, "switch-off"}},
      {"a copy, low, then quillstop", [&] { plantCopy(kLowIntegritySettingsKey); }, {on, "quillstop /S"}},
      {"a state, low", [] {
         testreg::SetDword(HKEY_CURRENT_USER, kLowIntegritySettingsKey, "Enabled", 1);
         testreg::SetString(HKEY_CURRENT_USER, kLowIntegritySettingsKey, "ActiveIP", kOwn);
       }, {"switch-off"}},
      {"a half copy, own key", [&] { plantCopy(kSettingsKey); }, {on, "switch-off"}}};
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
  const char othersOpenToAll[] = "O:S-1-5-21-1-2-3-1001D:P(A;;GA;;;WD)";
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(othersOpenToAll, SDDL_REVISION_1, &other, nullptr));
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), other, FALSE};
  const HANDLE squatted = CreateMutexA(&attributes, FALSE, "Local\\Quillmask.ProxySwitch");
  ASSERT_NE(squatted, nullptr);
  EXPECT_EQ(Broker("switch-on 127.0.0.1:8001"), 14u);
  EXPECT_EQ(State(), "  | " + std::string(kOwn)) << "nothing switched";
  CloseHandle(squatted), LocalFree(other);
  EXPECT_EQ(Broker("switch-on 127.0.0.1:8001"), 0u);
}
