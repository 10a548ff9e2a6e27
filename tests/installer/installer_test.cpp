// This build's installer run for real in the tests' own prefix (64-bit Windows, for both). The 32-bit
// installer's tests, a 32-bit program, see the 32-bit registry view and "Program Files (x86)" as its browser does.
#include <windows.h>
#include <gtest/gtest.h>
#include <fstream>
#include "build_config.h"
#include "connection/connection_proxy.h"
#include "host/server_registration.h"
#include "tests/support/browser_window.h"
#include "tests/support/program_run.h"

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillmask";
constexpr char kToolbarKey[] = "Software\\Microsoft\\Internet Explorer\\Toolbar";
constexpr char kProgId[] = "quillbar.quillbarBand";
constexpr char kElevationPolicyKey[] =
    "Software\\Microsoft\\Internet Explorer\\Low Rights\\ElevationPolicy\\{E72D6036-BC7E-47CA-9383-A032C7306450}";
const std::string kLocation = std::string(getenv("ProgramFiles")) + "\\Quillmask", kFolder = kLocation + "\\";
constexpr const char* kFiles[] = {"quillbar.dll", "quillstop.exe", "quillbroker.exe", "uninstall.exe"};
#ifdef _WIN64
constexpr char kDisplayName[] = "Quillmask (64-bit)";
#else
constexpr char kDisplayName[] = "Quillmask";
#endif

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
std::string String(HKEY root, const std::string& key, const char* name = "") {
  return testreg::GetString(root, key.c_str(), name).value_or("<none>");
}
std::string Machine(const std::string& key, const char* name) { return String(HKEY_LOCAL_MACHINE, key, name); }
std::string BandClsid() { return String(HKEY_CLASSES_ROOT, std::string(kProgId) + "\\CLSID"); }
bool Uninstalled() { return RunToEnd(Machine(kUninstallKey, "QuietUninstallString")).ended; }

// The tests share a prefix and run in any order: each first installs, over what an earlier one left.
class InstallerTest : public testing::Test {
 protected:
  static ProgramRun RunSetup(const std::string& folder = {}) {  // into `folder` if one is given
    const std::string setup = "\"" + WindowsPathFromUnix(QUILLMASK_INSTALLER) + "\" /S";
    return RunToEnd(folder.empty() ? setup : setup + " /D=" + folder);
  }
  static void RemoveEarlierInstallation() {
    ASSERT_TRUE(!testreg::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey) || Uninstalled());
  }
  static void Install() {
    const ProgramRun run = RunSetup();
    ASSERT_TRUE(run.ended && run.exitCode == 0 && run.windows.empty()) << run.exitCode;
  }
};

TEST_F(InstallerTest, InstallsTheBandAndInstallingAgainKeepsItsListAndSettings) {
  Install();
  for (const char* file : kFiles)  // the build's signed files
    EXPECT_TRUE(Exists(kFolder + file) && ReadBytes(kFolder + file) == ReadBytes(PathBesideProgram(file))) << file;
  const std::string clsid = BandClsid(), server = "CLSID\\" + clsid + "\\InprocServer32";
  EXPECT_EQ(Machine(kToolbarKey, clsid.c_str()) + String(HKEY_CLASSES_ROOT, std::string(kProgId) + "\\CurVer") +
                String(HKEY_CLASSES_ROOT, server) + String(HKEY_CLASSES_ROOT, server, "ThreadingModel"),
            "Quillmask" + std::string(kProgId) + ".1" + kFolder + "quillbar.dll" + "Apartment") << "registered";
  const std::string uninstaller = "\"" + kFolder + "uninstall.exe\"";
  const std::pair<const char*, std::string> entry[] = {{"DisplayName", kDisplayName},
      {"DisplayVersion", QUILLMASK_VERSION_TEXT}, {"Publisher", "Quillmask"}, {"UninstallString", uninstaller},
      {"DisplayIcon", kFolder + "quillstop.exe,0"}, {"InstallLocation", kLocation},
      {"QuietUninstallString", uninstaller + " /S"}};
  for (const auto& [name, value] : entry) EXPECT_EQ(Machine(kUninstallKey, name), value) << name;
  const auto number = [](const char* key, const char* name) {
    return std::to_string(testreg::GetDword(HKEY_LOCAL_MACHINE, key, name).value_or(0)) + " ";
  };
  EXPECT_EQ(Machine(kElevationPolicyKey, "AppName") + " " + Machine(kElevationPolicyKey, "AppPath") + " " +
                number(kElevationPolicyKey, "Policy"), "quillbroker.exe " + kLocation + " 3 ") << "at medium integrity";
  EXPECT_EQ(number(kUninstallKey, "NoModify") + number(kUninstallKey, "NoRepair"), "1 1 ");
  const DWORD kb = std::stoul(number(kUninstallKey, "EstimatedSize"));
  EXPECT_TRUE(kb > 1000 && kb < 100000) << kb << " KB";

  std::ofstream(kFolder + "sortedproxylist.txt", std::ios::binary) << "127.0.0.1:8002- Kept<br />";
  const std::string stale = "CLSID\\" + clsid + "\\Stale";
  testreg::SetString(HKEY_CLASSES_ROOT, stale.c_str(), "", "from an older version");
  testreg::SetString(HKEY_LOCAL_MACHINE, kSettingsKey, "LocalIP", "127.0.0.1 [Local IP]");
  testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "UpdateProxy", 0);
  Install();
  EXPECT_EQ(ReadBytes(kFolder + "sortedproxylist.txt"), "127.0.0.1:8002- Kept<br />");
  EXPECT_EQ(Machine(kSettingsKey, "LocalIP") + Machine(kSettingsKey, "AppPath") + Stored(kSettingsKey, "UpdateProxy"),
            "127.0.0.1 [Local IP]" + kFolder + "0");
  EXPECT_FALSE(testreg::KeyExists(HKEY_CLASSES_ROOT, stale.c_str())) << "the class key is made anew";
}

TEST_F(InstallerTest, SilentUninstallGivesTheUsersProxyBackAndRemovesOnlyWhatIsItsOwn) {
  Install();
  const std::string clsid = BandClsid();
  const std::string libid = String(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\TypeLib");
  EXPECT_TRUE(testreg::KeyExists(HKEY_CLASSES_ROOT, ("TypeLib\\" + libid).c_str())) << "the type library registered";
  const char kOther[] = "{0A1B2C3D-4E5F-4061-8273-94A5B6C7D8E9}";  // another toolbar's
  testreg::SetString(HKEY_LOCAL_MACHINE, kToolbarKey, kOther, "Other toolbar");
  testreg::SetString(HKEY_CURRENT_USER, "Software\\Quillmask Notes", "Kept", "yes");
  testreg::SetString(HKEY_CURRENT_USER, kInternetSettings, "ProxyOverride", "<local>");
  testreg::SetString(HKEY_CURRENT_USER, kLowIntegritySettingsKey, "ActiveIP", "");
  StartLanConnection("127.0.0.1:3128");
  ASSERT_EQ(SetConnectionOptions("127.0.0.1:9999"), SwitchResult::Done);
  CreateDirectoryA(UserCopyFolder().c_str(), nullptr);  // the band's copy, when the folder was read-only
  std::ofstream(UserListFile(), std::ios::binary) << "127.0.0.1:8003- User's copy<br />";
  {  // the settings may not be written: the proxy stays on, so everything stays, and the exit code says so
    testreg::ReadOnlyKey locked(HKEY_CURRENT_USER, kInternetSettings);
    // The silent uninstaller's own exit code, from a copy run for the installation as NSIS documents it:
    // the uninstaller proper hands over to such a copy and ends at once.
    const std::string copy = std::string(getenv("TEMP")) + "\\uninstall-copy.exe";
    EXPECT_TRUE(CopyFileA((kFolder + "uninstall.exe").c_str(), copy.c_str(), FALSE));
    const ProgramRun run = RunToEnd("\"" + copy + "\" /S _?=" + kLocation);
    DeleteFileA(copy.c_str());
    EXPECT_TRUE(run.ended && run.exitCode != 0 && run.windows.empty()) << run.exitCode;
    EXPECT_TRUE(Uninstalled());
  }
  EXPECT_EQ(ProxyInUse(), "127.0.0.1:9999");
  EXPECT_TRUE(Exists(kFolder + "quillbar.dll") && Exists(kFolder + "uninstall.exe") && Exists(UserListFile()));
  EXPECT_EQ(BandClsid() + Stored(kSettingsKey, "ActiveIP") + Machine(kUninstallKey, "DisplayName"),
            clsid + "127.0.0.1:9999" + kDisplayName) << "nothing removed";

  const ProgramRun run = RunToEnd(Machine(kUninstallKey, "QuietUninstallString"));
  EXPECT_TRUE(run.ended && run.windows.empty()) << "a silent uninstall waits for nobody, asks nothing";
  EXPECT_EQ(ProxyInUse(), "127.0.0.1:3128");
  EXPECT_FALSE(Exists(kFolder) || Exists(UserCopyFolder()));
  const std::pair<HKEY, std::string> removed[] = {{HKEY_LOCAL_MACHINE, kSettingsKey}, {HKEY_CURRENT_USER, kSettingsKey},
      {HKEY_CURRENT_USER, kLowIntegritySettingsKey}, {HKEY_LOCAL_MACHINE, kUninstallKey},
      {HKEY_LOCAL_MACHINE, kElevationPolicyKey}, {HKEY_CLASSES_ROOT, "CLSID\\" + clsid}, {HKEY_CLASSES_ROOT, kProgId},
      {HKEY_CLASSES_ROOT, std::string(kProgId) + ".1"}, {HKEY_CLASSES_ROOT, "TypeLib\\" + libid}};
  for (const auto& [root, key] : removed) EXPECT_FALSE(testreg::KeyExists(root, key.c_str())) << key;
  const char kOthersClass[] = "CLSID\\{00000300-0000-0000-C000-000000000046}";
  EXPECT_TRUE(testreg::KeyExists(HKEY_CLASSES_ROOT, kOthersClass)) << "others' classes";
  EXPECT_EQ(Machine(kToolbarKey, clsid.c_str()) + Machine(kToolbarKey, kOther) +
                String(HKEY_CURRENT_USER, "Software\\Quillmask Notes", "Kept") +
                String(HKEY_CURRENT_USER, kInternetSettings, "ProxyOverride"),
            "<none>Other toolbaryes<local>");
}

// The uninstaller's pages and quillstop's question answered as a person does: "Yes" opens the poll page once.
TEST_F(InstallerTest, InteractiveUninstallAsksTheQuestionOfQuillstop) {
  Install();
  RecordOpenedAddresses();
  bool confirmed = false, asked = false, closed = false;
  const ProgramRun run = RunToEnd("\"" + kFolder + "uninstall.exe\"", [&](const ProgramRun&) {
    HWND pages = nullptr, yes = GetDlgItem(FindWindowA("#32770", "Quillmask"), IDOK);
    for (HWND w = FindWindowExA(0, 0, "#32770", nullptr); w; w = FindWindowExA(0, w, "#32770", nullptr)) {
      if (TextOf(w).rfind(std::string(kDisplayName) + " Uninstall", 0) == 0) pages = w;
    }
    if (!asked && IsWindowVisible(yes)) asked = PostMessageA(yes, BM_CLICK, 0, 0);  // quillstop's question
    const HWND next = GetDlgItem(pages, IDOK);  // "Uninstall", later "Close"
    if (IsWindowEnabled(next) && (!confirmed || (asked && !closed && TextOf(next) == "&Close"))) {
      (confirmed ? closed : confirmed) = PostMessageA(next, BM_CLICK, 0, 0);
    }
  });
  EXPECT_TRUE(run.ended && asked && closed) << asked << closed;
  EXPECT_FALSE(Exists(kFolder));
  EXPECT_EQ(OpenedAddresses(), std::vector<std::string>{"http://" QUILLMASK_POLL_HOST "/quillmask/poll.html"});
}

// With the toolbar list locked the band cannot write its value there; an upgrade keeps what it found working.
TEST_F(InstallerTest, AFailedRegistrationInstallsNothingAndAFailedUpgradeKeepsThePreviousInstallation) {
  const auto failingSetup = [] {
    testreg::ReadOnlyKey locked(HKEY_LOCAL_MACHINE, kToolbarKey);
    const ProgramRun run = RunSetup();
    EXPECT_TRUE(run.ended && run.exitCode != 0 && run.windows.empty()) << run.exitCode;
  };
  RemoveEarlierInstallation();
  failingSetup();
  EXPECT_FALSE(Exists(kFolder));
  EXPECT_FALSE(testreg::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey) || testreg::KeyExists(HKEY_CLASSES_ROOT, kProgId));
  EXPECT_FALSE(testreg::GetString(HKEY_LOCAL_MACHINE, kSettingsKey, "AppPath"));

  Install();
  failingSetup();
  for (const char* file : kFiles) EXPECT_TRUE(Exists(kFolder + file) && !Exists(kFolder + file + ".old")) << file;
  EXPECT_EQ(Machine(kUninstallKey, "InstallLocation"), kLocation);
  {
    BrowserWindow browser;
    CLSID clsid = {};
    ASSERT_TRUE(browser.Start() && FindBandClsid(&clsid) == S_OK);
    EXPECT_EQ(browser.m_host.Open(browser.m_frame.m_hWnd, clsid), S_OK) << "the band opens";
  }
  CoUninitialize();
}

// A folder chosen outside Program Files is secured as it is made (Wine's file system keeps no ACL to read
// back: the calls succeed, and the installation there works and goes); someone else's is refused.
TEST_F(InstallerTest, InstallsIntoANewFolderChosenOutsideProgramFilesOnly) {
  RemoveEarlierInstallation();
  CreateDirectoryA("C:\\Tools", nullptr);
  std::ofstream("C:\\Tools\\notes.txt") << "the user's";
  ProgramRun run = RunSetup("C:\\Tools");
  EXPECT_TRUE(run.ended && run.exitCode != 0) << run.exitCode;
  EXPECT_FALSE(Exists("C:\\Tools\\quillbar.dll") || testreg::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_EQ(ReadBytes("C:\\Tools\\notes.txt"), "the user's");
  run = RunSetup("C:\\Tools\\Quillmask");
  ASSERT_TRUE(run.ended && run.exitCode == 0) << run.exitCode;
  EXPECT_TRUE(Exists("C:\\Tools\\Quillmask\\quillbar.dll") && Exists("C:\\Tools\\Quillmask\\uninstall.exe"));
  EXPECT_TRUE(Uninstalled());
  EXPECT_FALSE(Exists("C:\\Tools\\Quillmask"));
}
