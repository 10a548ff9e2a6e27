// The band of a browser in Protected Mode, linked in here so that it reads a low integrity level
// (Wine runs none): each switch goes through quillbroker.exe, the real one beside the test. The
// band's own WinINet writes are refused, so what reaches Wine's settings came through the broker.
#include <windows.h>
#include <gtest/gtest.h>
#include "band/quillbar_band.h"
#include "broker/broker_client.h"
#include "broker/integrity_level.h"
#include "connection/connection_proxy.h"
#include "connection/internet_option_seam.h"
#include "host/server_registration.h"
#include "loopback/listening_socket.h"
#include "tests/support/browser_window.h"
#include "tests/support/program_run.h"

CComModule _Module;  // the band's objects count on it, as in quillbar.dll

DWORD Low() { return SECURITY_MANDATORY_LOW_RID; }
BOOL WINAPI Refuse(HINTERNET, DWORD, LPVOID, DWORD) { return FALSE; }

class ProtectedModeTest : public testing::Test, protected BrowserWindow {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Start(kOwn));
    ReplaceIntegrityLevel(Low), ReplaceInternetSetOption(Refuse);
    m_folder.WriteList(m_one + "- One<br />" + m_two + "- Two<br />");
    OpenBand();
  }
  void OpenBand() {
    CComPtr<IDeskBand> band;
    ASSERT_EQ(CComCreator<CquillbarBand>::CreateInstance(nullptr, IID_PPV_ARGS(&band)), S_OK);
    ASSERT_EQ(m_host.Open(m_frame.m_hWnd, band), S_OK);
  }
  void TearDown() override {
    m_host.Close(), m_frame.DestroyWindow();
    ReplaceIntegrityLevel(nullptr), ReplaceInternetSetOption(nullptr), ReplaceBrokerPath({});
    CoUninitialize();
  }
  static constexpr char kOwn[] = "10.20.30.40:3128";
  InstallFolder m_folder{"protected"};
  ListeningSocket m_first, m_second;
  const std::string m_one = Loopback(m_first.Port()), m_two = Loopback(m_second.Port());
};

TEST_F(ProtectedModeTest, SwitchesReachTheUsersSettingsThroughTheBrokerAndQuillstopResetsThem) {
  Pick(0, false);
  EXPECT_EQ(Icons(Said([&] { Click(kToggle); })), "ii");
  EXPECT_EQ(State(), On(m_one));
  EXPECT_EQ(Icons(Said([&] { Pick(1); })), "ii");
  EXPECT_EQ(State(), On(m_two));
  EXPECT_TRUE(RunToEnd("\"" + PathBesideProgram("quillstop.exe") + "\" /S").ended);
  EXPECT_EQ(SwitchState() + " " + ProxyInUse(), " 0 " + std::string(kOwn));
}

// A broker that refuses (a typed proxy is in no list) or is missing changes nothing, and the band says so.
TEST_F(ProtectedModeTest, ARefusingMissingOrUnansweringBrokerChangesNothingItDidNotDo) {
  ListeningSocket typed;
  SetFocus(Edit());
  SetWindowTextA(Edit(), (Loopback(typed.Port()) + "- typed").c_str());
  Key(WM_KEYUP, VK_RETURN);
  EXPECT_EQ(Said([&] { Click(kToggle); }), Asking(Loopback(typed.Port()), "typed") + Box('!', kProxyNotSetText));
  EXPECT_EQ(State(), Off(kOwn));

  Pick(1, false);  // below the typed entry
  EXPECT_EQ(Icons(Said([&] { Click(kToggle); })), "ii");
  ReplaceBrokerPath("C:\\nowhere\\quillbroker.exe");
  EXPECT_EQ(Said([&] { Click(kToggle); }), Box('!', kProxyNotRemovedText));
  EXPECT_EQ(State(), On(m_one));
  ReplaceBrokerPath({});
  EXPECT_EQ(Said([&] { Click(kToggle); }), "");
  EXPECT_EQ(State(), Off(kOwn));
  // One that does not answer in time may yet have switched (quillstop stands in: it switches off, then asks):
  // the band says nothing and shows the state as it is.
  ASSERT_EQ(Icons(Said([&] { Click(kToggle); })), "ii");
  ReplaceBrokerPath(PathBesideProgram("quillstop.exe"));
  EXPECT_EQ(Said([&] { Click(kToggle); }), "");
  EXPECT_EQ(State(), Off(kOwn));
  const HWND question = FindWindowA("#32770", "Quillmask");
  EXPECT_NE(question, nullptr);
  PostMessageA(question, WM_COMMAND, IDCANCEL, 0);
}

// Another window switches the proxy off while this one asks before moving to another proxy: the
// broker finds nothing to move from, and the band says nothing more and shows the proxy off.
TEST_F(ProtectedModeTest, AMoveToAnotherProxyAfterAnotherWindowSwitchedOffSaysNothingMore) {
  Pick(0, false);
  ASSERT_EQ(Icons(Said([&] { Click(kToggle); })), "ii");
  const auto switchOff = [] {
    EXPECT_EQ(RunToEnd("\"" + PathBesideProgram("quillbroker.exe") + "\" switch-off").exitCode, 0u);
  };
  EXPECT_EQ(Said([&] { Pick(1); }, false, switchOff), Asking(m_two, "Two"));
  EXPECT_EQ(State(), Off(kOwn));
}

// A state planted in the low-integrity copy of the user's key, which a page in the tab may write and a protected
// window reads first (it may not write the user's own), is not the toolbar's: the window shows its proxy off.
TEST_F(ProtectedModeTest, AStatePlantedInTheLowIntegrityKeyIsNotShown) {
  m_host.Close();
  testreg::SetDword(HKEY_CURRENT_USER, kLowIntegritySettingsKey, "Enabled", 1);
  testreg::SetString(HKEY_CURRENT_USER, kLowIntegritySettingsKey, "ActiveIP", m_one);
  testreg::ReadOnlyKey own(HKEY_CURRENT_USER, kSettingsKey);  // as for a process at low integrity
  OpenBand();
  EXPECT_EQ(Face() + " | " + Label(), "Enable 1 | Your IP is: " + Stored(kSettingsKey, "LocalIP"));
}
