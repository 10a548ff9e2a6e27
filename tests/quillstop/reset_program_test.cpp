// quillstop.exe run for real under Wine: its boxes found and answered the way a user would.
#include <windows.h>
#include <gtest/gtest.h>
#include <optional>
#include "build_config.h"
#include "connection/connection_proxy.h"
#include "host/server_registration.h"
#include "tests/support/held_switch_lock.h"
#include "tests/support/program_run.h"

const std::string kProgram = PathBesideProgram("quillstop.exe");

// The message a user's answer posts to a control of the question (control 0: to the question).
struct Answer { int control; UINT message; WPARAM wParam; };

class ResetProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    RecordOpenedAddresses();
    StartLanConnection();
    ClearUserState();
  }

  // Runs quillstop with `arguments`, noting each box it shows in m_shown: an error box, closed, or
  // the question with the proxy in use while it is asked, checked as the user sees it and answered.
  ProgramRun Run(const std::string& arguments, Answer answer = {IDCANCEL, BM_CLICK, 0}) {
    m_shown.clear();
    std::set<HWND> seen;
    return RunToEnd("\"" + kProgram + "\" " + arguments, [&](const ProgramRun& run) {
      const HWND box = FindWindowA("#32770", nullptr), yes = GetDlgItem(box, IDOK);
      if (!box || std::count(run.windows.begin(), run.windows.end(), box) == 0 || !seen.insert(box).second) return;
      EXPECT_EQ(TextOf(box), "Quillmask");
      if (FindWindowExA(box, nullptr, nullptr, kProxyNotRemovedText)) {
        m_shown.push_back("error");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return;
      }
      m_shown.push_back((RunsElevated(box) ? "question" : "question unelevated") + (", proxy " + ProxyInUse()));
      EXPECT_TRUE(FindWindowExA(box, nullptr, "Static", "Would you like to help us improve our product by "
                                                        "participating in a short online pool?"));
      EXPECT_EQ(TextOf(yes) + "/" + TextOf(GetDlgItem(box, IDCANCEL)), "Yes/No");
      EXPECT_EQ(GetWindowLongPtrA(yes, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
      EXPECT_EQ(GetWindowLongPtrA(box, GWL_STYLE) & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
                WS_CAPTION | WS_SYSMENU);
      EXPECT_TRUE(GetWindowLongPtrA(box, GWL_EXSTYLE) & WS_EX_APPWINDOW) << "a button in the task bar";
      PostMessageA(answer.control ? GetDlgItem(box, answer.control) : box, answer.message, answer.wParam, 0);
    });
  }
  std::vector<std::string> m_shown;
};

// It asks unless given exactly "/S" (as the silent uninstaller does): near misses ask as no argument does.
// Run elevated beneath an unelevated desktop shell, it asks the desktop's user (and opens the page for them).
TEST_F(ResetProgramTest, SwitchesTheProxyOffThenAsksAndOnlyYesOpensThePollPage) {
  const std::vector<std::string> asks = {"question, proxy direct"}, silent;
  const Answer no = {IDCANCEL, BM_CLICK, 0}, yes = {IDOK, BM_CLICK, 0};
  const std::tuple<const char*, Answer, std::vector<std::string>, bool> runs[] = {
      {"/S", {}, silent, false}, {"", no, asks, false}, {"/s", {IDOK, WM_KEYDOWN, VK_ESCAPE}, asks, false},
      {"/S /S", {0, WM_SYSCOMMAND, SC_CLOSE}, asks, false}, {"", yes, asks, false},
      {"/S", {}, silent, true}, {"", yes, {"question unelevated, proxy direct"}, true}};
  for (const auto& [arguments, answer, shown, underShell] : runs) {
    SCOPED_TRACE(std::string(arguments) + (underShell ? " beneath the desktop's shell" : ""));
    ASSERT_EQ(SetConnectionOptions("127.0.0.1:3128"), SwitchResult::Done);
    std::optional<DesktopShell> shell;
    if (underShell) shell.emplace();
    const ProgramRun run = Run(arguments, answer);
    EXPECT_TRUE(run.ended && run.exitCode == 0) << run.exitCode;
    EXPECT_EQ(run.windows.size(), shown.size());
    EXPECT_EQ(m_shown, shown);
    EXPECT_EQ(ProxyInUse(), "direct");
  }
  EXPECT_EQ(OpenedAddresses(), std::vector<std::string>(2, "http://" QUILLMASK_POLL_HOST "/quillmask/poll.html"));
}

// Where it may not write the settings, or another switch holds the lock throughout, it says so (when someone
// is there to see it), asks nothing and ends with 1, for the uninstaller to keep the toolbar.
TEST_F(ResetProgramTest, GivesTheUsersOwnProxyBackOrSaysItCannot) {
  StartLanConnection("127.0.0.1:3128");
  ASSERT_EQ(SetConnectionOptions("127.0.0.1:9999"), SwitchResult::Done);
  for (const bool heldLock : {false, true}) {
    SCOPED_TRACE(heldLock ? "lock held" : "settings locked");
    std::optional<testreg::ReadOnlyKey> locked;
    std::optional<HeldSwitchLock> held;
    heldLock ? void(held.emplace()) : void(locked.emplace(HKEY_CURRENT_USER, kInternetSettings));
    ProgramRun run = Run("/S");
    EXPECT_TRUE(run.ended && run.exitCode == 1 && run.windows.empty()) << run.exitCode;
    run = Run("");
    EXPECT_TRUE(run.ended && run.exitCode == 1) << run.exitCode;
    EXPECT_EQ(m_shown, std::vector<std::string>{"error"});
    DesktopShell shell;
    run = Run("/S");
    EXPECT_TRUE(run.ended && run.exitCode == 1) << "for the desktop's user: " << run.exitCode;
  }
  EXPECT_EQ(ProxyInUse(), "127.0.0.1:9999");
  const ProgramRun run = Run("");
  EXPECT_TRUE(run.ended && run.exitCode == 0) << run.exitCode;
  EXPECT_EQ(m_shown, std::vector<std::string>{"question, proxy 127.0.0.1:3128"});
}

// Without a copy kept (an earlier version kept none): a proxy that is not the toolbar's is no failure.
TEST_F(ResetProgramTest, WithoutACopyLeavesAProxyThatIsNotTheToolbars) {
  for (const char* active : {"", "127.0.0.1:9999", "127.0.0.1:3128"}) {
    ClearUserState();
    StartLanConnection("127.0.0.1:3128");
    testreg::SetString(HKEY_CURRENT_USER, kSettingsKey, "ActiveIP", active);
    const ProgramRun run = Run("/S");
    EXPECT_TRUE(run.ended && run.exitCode == 0) << active << ": " << run.exitCode;
    EXPECT_EQ(ProxyInUse(), std::string(active) == "127.0.0.1:3128" ? "direct" : "127.0.0.1:3128") << active;
  }
}
