// The 64-bit installer run for real, in a fresh Wine prefix of the tests' own: installed silently,
// installed again over itself, removed silently and removed as a person does it. Each step is
// checked where Windows keeps what it changed: files, registry, the connection's proxy, the
// addresses the shell was asked to open.
#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "build_config.h"
#include "framework/wnd.h"
#include "host/band_host.h"
#include "tests/host/message_box_answerer.h"
#include "tests/support/combo_box_items.h"
#include "tests/support/registry.h"
#include "tests/support/wine_paths.h"

namespace {

constexpr char kSettingsKey[] = "Software\\Quillmask";
constexpr char kLowSettingsKey[] = "Software\\AppDataLow\\Software\\Quillmask";
constexpr char kUninstallKeys[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillmask";
constexpr char kToolbarKey[] = "Software\\Microsoft\\Internet Explorer\\Toolbar";
constexpr char kInternetSettingsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kProgId[] = "quillbar.quillbarBand";
constexpr char kVersionedProgId[] = "quillbar.quillbarBand.1";
constexpr char kUninstallerCaption[] = "Quillmask (64-bit) Uninstall";
constexpr char kPollPageSuffix[] = "/quillmask/poll.html";
constexpr UINT kToggleCommand = 32768;

std::string KnownFolder(int csidl) {
  char path[MAX_PATH] = {};
  EXPECT_EQ(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path), S_OK) << csidl;
  return std::string(path) + "\\";
}
std::string ProgramFolder() { return KnownFolder(CSIDL_PROGRAM_FILES) + "Quillmask\\"; }
std::string UserListFolder() { return KnownFolder(CSIDL_LOCAL_APPDATA) + "Quillmask\\"; }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
  CreateDirectoryA(path.substr(0, path.rfind('\\')).c_str(), nullptr);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  ASSERT_EQ(ReadFile(path), bytes) << path;
}

std::string String(HKEY root, const std::string& key, const char* name = "") {
  return testreg::GetString(root, key.c_str(), name).value_or("<none>");
}

std::string LiveProxy() {
  const std::string port = ReadFile(WindowsPathFromUnix(std::string(TINYPROXY_DIR) + "/port"));
  return port.empty() ? std::string() : "127.0.0.1:" + port.substr(0, port.find('\n'));
}

std::vector<std::string> OpenedAddresses() {
  std::vector<std::string> lines;
  std::ifstream file(WindowsPathFromUnix(OPENED_ADDRESSES_FILE));
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

std::set<HWND> VisibleTopWindows() {
  std::set<HWND> windows;
  for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
    if (IsWindowVisible(window)) windows.insert(window);
  }
  return windows;
}

std::string TextOf(HWND window) {
  char text[256] = {};
  if (window) GetWindowTextA(window, text, sizeof(text));
  return text;
}

// A dialog whose title starts with `caption` (the uninstaller adds its page's caption after it).
HWND FindDialog(const std::string& caption) {
  for (HWND window = FindWindowExA(nullptr, nullptr, "#32770", nullptr); window;
       window = FindWindowExA(nullptr, window, "#32770", nullptr)) {
    if (TextOf(window).rfind(caption, 0) == 0) return window;
  }
  return nullptr;
}

HWND ButtonOf(HWND dialog, int id) { return dialog ? GetDlgItem(dialog, id) : nullptr; }

struct Outcome {
  bool ended = false;  // the program and everything it started ended within the time allowed
  DWORD exitCode = STILL_ACTIVE;
  std::vector<std::string> windowsShown;  // titles of the windows that other processes showed
};

// Runs `commandLine` and waits, up to a minute, until it and every process it started have ended
// (an uninstaller hands over to a copy of itself and returns at once). `whileRunning` is called
// every 50 ms meanwhile, to answer the windows that come up.
Outcome RunToEnd(std::string commandLine, const std::function<void()>& whileRunning = {}) {
  Outcome run;
  const std::set<HWND> before = VisibleTopWindows();
  const HANDLE job = CreateJobObjectA(nullptr, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!job || !CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                              nullptr, &startup, &process)) {
    ADD_FAILURE() << "cannot start " << commandLine << ": " << GetLastError();
    if (job) CloseHandle(job);
    return run;
  }
  EXPECT_TRUE(AssignProcessToJobObject(job, process.hProcess));
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);

  for (int i = 0; i < 1200 && !run.ended; ++i) {
    Sleep(50);
    for (HWND window : VisibleTopWindows()) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner != GetCurrentProcessId() && !before.count(window)) {
        const std::string title = TextOf(window);
        if (std::find(run.windowsShown.begin(), run.windowsShown.end(), title) == run.windowsShown.end()) {
          run.windowsShown.push_back(title);
        }
      }
    }
    if (whileRunning) whileRunning();
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    run.ended = QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                          sizeof(accounting), nullptr) &&
                accounting.ActiveProcesses == 0;
  }
  if (!run.ended) TerminateJobObject(job, 1);
  GetExitCodeProcess(process.hProcess, &run.exitCode);
  CloseHandle(process.hProcess);
  CloseHandle(job);
  return run;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// The band opened from its registration in a frame window, as the browser opens it; closed when
// the object goes, and with COM the DLL unloaded again.
class OpenBand {
 public:
  OpenBand() {
    m_comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    CLSID clsid = {};
    m_opened = FindBandClsid(&clsid);
    if (SUCCEEDED(m_opened) && !m_frame.CreateEx(0, AfxPlainWindowClass(), "Quillmask band host",
                                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, {0, 0, 1100, 140}, nullptr, 0)) {
      m_opened = HRESULT_FROM_WIN32(GetLastError());
    }
    if (SUCCEEDED(m_opened)) m_opened = m_host.Open(m_frame.m_hWnd, clsid);
  }
  ~OpenBand() {
    EXPECT_EQ(m_host.Close(), S_OK);
    m_frame.DestroyWindow();
    if (m_comStarted) CoUninitialize();
  }
  OpenBand(const OpenBand&) = delete;
  OpenBand& operator=(const OpenBand&) = delete;

  HRESULT Opened() const { return m_opened; }
  HWND Toolbar() const { return m_host.BandWindow(); }
  HWND ProxyBox() const { return FindWindowExA(Toolbar(), nullptr, "ComboBoxEx32", nullptr); }
  std::string ItemText(int index) const { return ComboBoxExItemText(ProxyBox(), index); }

  // Picks the proxy with `text` and presses Enable, as a user does.
  void Enable(const std::string& text) const {
    const HWND list = reinterpret_cast<HWND>(SendMessageA(ProxyBox(), CBEM_GETCOMBOCONTROL, 0, 0));
    int index = 0;
    while (index < SendMessageA(list, CB_GETCOUNT, 0, 0) && ItemText(index) != text) ++index;
    ASSERT_EQ(ItemText(index), text);
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    RECT rect = {};
    ASSERT_TRUE(SendMessageA(Toolbar(), TB_GETRECT, kToggleCommand, reinterpret_cast<LPARAM>(&rect)));
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    SendMessageA(Toolbar(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(Toolbar(), WM_LBUTTONUP, 0, at);
  }

 private:
  bool m_comStarted = false;
  HRESULT m_opened = E_FAIL;
  CWnd m_frame;
  BandHost m_host;
};

// Gives HKLM `key` the access of `sddl` ("D:P(A;;KR;;;WD)": everyone may read, nobody may write).
void SetKeyAccess(const char* key, const char* sddl) {
  HKEY opened = nullptr;
  PSECURITY_DESCRIPTOR access = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, WRITE_DAC, nullptr, &opened, nullptr),
            ERROR_SUCCESS);
  EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &access, nullptr));
  EXPECT_EQ(RegSetKeySecurity(opened, DACL_SECURITY_INFORMATION, access), ERROR_SUCCESS);
  LocalFree(access);
  RegCloseKey(opened);
}

// The tests share their slot's prefix, fresh for each run of the tests, and take turns in any
// order: each first installs, over what an earlier one may have left.
class InstallerTest : public testing::Test {
 protected:
  static void Install() {
    const Outcome run = RunToEnd(Quoted(WindowsPathFromUnix(QUILLMASK_INSTALLER)) + " /S");
    ASSERT_TRUE(run.ended);
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.windowsShown.empty()) << run.windowsShown[0];
  }

  static void RecordOpenedAddresses() {
    DeleteFileA(WindowsPathFromUnix(OPENED_ADDRESSES_FILE).c_str());
    testreg::SetString(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", "Browsers", RECORD_BROWSER_SCRIPT);
  }

  static std::string Clsid() { return String(HKEY_CLASSES_ROOT, std::string(kProgId) + "\\CLSID"); }
};

TEST_F(InstallerTest, SilentInstallPutsTheBandInPlace) {
  Install();
  const std::string folder = ProgramFolder();
  const std::string dll = folder + "quillbar.dll";
  for (const char* file : {"quillbar.dll", "quillstop.exe", "uninstall.exe"}) EXPECT_TRUE(Exists(folder + file)) << file;
  EXPECT_EQ(String(HKEY_LOCAL_MACHINE, kSettingsKey, "AppPath"), folder);

  // Registered by the DLL itself, from where it was installed.
  const std::string clsid = Clsid();
  ASSERT_EQ(clsid.front(), '{') << clsid;
  EXPECT_EQ(String(HKEY_CLASSES_ROOT, std::string(kVersionedProgId) + "\\CLSID"), clsid);
  EXPECT_EQ(String(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32"), dll);
  const std::string libid = String(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\TypeLib");
  EXPECT_EQ(String(HKEY_CLASSES_ROOT, "TypeLib\\" + libid + "\\1.0\\0\\win64"), dll);
  EXPECT_EQ(String(HKEY_LOCAL_MACHINE, kToolbarKey, clsid.c_str()), "Quillmask");

  const std::string uninstaller = Quoted(folder + "uninstall.exe");
  const std::pair<const char*, std::string> entry[] = {
      {"DisplayName", "Quillmask (64-bit)"},
      {"DisplayVersion", QUILLMASK_VERSION_TEXT},
      {"Publisher", "Quillmask"},
      {"DisplayIcon", folder + "quillstop.exe,0"},
      {"InstallLocation", folder.substr(0, folder.size() - 1)},
      {"UninstallString", uninstaller},
      {"QuietUninstallString", uninstaller + " /S"},
  };
  for (const auto& [name, value] : entry) EXPECT_EQ(String(HKEY_LOCAL_MACHINE, kUninstallKey, name), value) << name;
  EXPECT_EQ(testreg::GetDword(HKEY_LOCAL_MACHINE, kUninstallKey, "NoModify"), 1u);
  EXPECT_EQ(testreg::GetDword(HKEY_LOCAL_MACHINE, kUninstallKey, "NoRepair"), 1u);
  const DWORD estimatedKb = testreg::GetDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize").value_or(0);
  EXPECT_TRUE(estimatedKb > 1000 && estimatedKb < 100000) << estimatedKb << " KB";

  // The browser finds the band and the band its list in the installation folder.
  WriteFile(folder + "sortedproxylist.txt", "127.0.0.1:8001- Installed list<br />");
  OpenBand band;
  ASSERT_EQ(band.Opened(), S_OK);
  EXPECT_EQ(band.ItemText(0), "127.0.0.1:8001- Installed list");
  char loaded[MAX_PATH] = {};
  GetModuleFileNameA(GetModuleHandleA("quillbar.dll"), loaded, MAX_PATH);
  EXPECT_STRCASEEQ(loaded, dll.c_str());
}

TEST_F(InstallerTest, InstallingAgainKeepsTheListAndTheSettings) {
  Install();
  const std::string list = ProgramFolder() + "sortedproxylist.txt";
  WriteFile(list, "127.0.0.1:8002- Kept<br />");
  testreg::SetString(HKEY_LOCAL_MACHINE, kSettingsKey, "LocalIP", "127.0.0.1 [Local IP]");
  testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "UpdateProxy", 0);

  Install();
  EXPECT_EQ(ReadFile(list), "127.0.0.1:8002- Kept<br />");
  EXPECT_EQ(String(HKEY_LOCAL_MACHINE, kSettingsKey, "LocalIP"), "127.0.0.1 [Local IP]");
  EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kSettingsKey, "UpdateProxy"), 0u);
  EXPECT_EQ(String(HKEY_LOCAL_MACHINE, kSettingsKey, "AppPath"), ProgramFolder());

  HKEY entries = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKeys, 0, KEY_READ, &entries), ERROR_SUCCESS);
  int quillmaskEntries = 0;
  char name[256];
  for (DWORD i = 0, size = sizeof(name); RegEnumKeyExA(entries, i, name, &size, nullptr, nullptr, nullptr, nullptr) ==
                                         ERROR_SUCCESS;
       ++i, size = sizeof(name)) {
    quillmaskEntries += String(HKEY_LOCAL_MACHINE, std::string(kUninstallKeys) + "\\" + name, "DisplayName")
                            .find("Quillmask") != std::string::npos;
  }
  RegCloseKey(entries);
  EXPECT_EQ(quillmaskEntries, 1);
}

TEST_F(InstallerTest, SilentUninstallPutsTheProxyBackAndLeavesNothing) {
  Install();
  const std::string folder = ProgramFolder();
  const std::string clsid = Clsid();
  const std::string libid = String(HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\TypeLib");
  // What belongs to others stays: another toolbar, the user's other settings.
  const char kOtherToolbar[] = "{0A1B2C3D-4E5F-4061-8273-94A5B6C7D8E9}";
  testreg::SetString(HKEY_LOCAL_MACHINE, kToolbarKey, kOtherToolbar, "Other toolbar");
  testreg::SetString(HKEY_CURRENT_USER, "Software\\Quillmask Notes", "Kept", "yes");
  testreg::SetString(HKEY_CURRENT_USER, kInternetSettingsKey, "ProxyOverride", "<local>");
  // The user's own state, as the toolbar keeps it.
  testreg::SetString(HKEY_CURRENT_USER, kSettingsKey, "ActiveIP", "");
  testreg::SetString(HKEY_CURRENT_USER, kLowSettingsKey, "ActiveIP", "");

  // The user's own proxy before Quillmask's, then Quillmask's switched on through the toolbar.
  testreg::DeleteValue(HKEY_CURRENT_USER, kInternetSettingsKey, "EnableAutodial");
  testreg::SetDword(HKEY_CURRENT_USER, kInternetSettingsKey, "ProxyEnable", 1);
  testreg::SetString(HKEY_CURRENT_USER, kInternetSettingsKey, "ProxyServer", "127.0.0.1:3128");
  const std::string live = LiveProxy();
  ASSERT_FALSE(live.empty()) << "the tinyproxy fixture is not running";
  WriteFile(folder + "sortedproxylist.txt", live + "- Local tinyproxy<br />");
  {
    OpenBand band;
    ASSERT_EQ(band.Opened(), S_OK);
    MessageBoxAnswerer boxes;
    band.Enable(live + "- Local tinyproxy");
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    ASSERT_FALSE(boxes.Boxes()[1].error) << boxes.Boxes()[1].text;
  }
  ASSERT_EQ(String(HKEY_CURRENT_USER, kInternetSettingsKey, "ProxyServer"), live);
  ASSERT_EQ(GetModuleHandleA("quillbar.dll"), nullptr) << "the browser is closed";
  // A copy of the list the user kept while the installation folder could not be written.
  WriteFile(UserListFolder() + "sortedproxylist.txt", "127.0.0.1:8003- User's copy<br />");

  RecordOpenedAddresses();
  const Outcome run = RunToEnd(String(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString"));
  ASSERT_TRUE(run.ended) << "a silent uninstall waits for nobody";
  EXPECT_TRUE(run.windowsShown.empty()) << run.windowsShown[0];

  EXPECT_FALSE(Exists(folder)) << "files and folder";
  EXPECT_FALSE(Exists(UserListFolder())) << "the user's list copy";
  for (const auto& [root, key] : std::vector<std::pair<HKEY, std::string>>{
           {HKEY_LOCAL_MACHINE, kSettingsKey},
           {HKEY_CURRENT_USER, kSettingsKey},
           {HKEY_CURRENT_USER, kLowSettingsKey},
           {HKEY_LOCAL_MACHINE, kUninstallKey},
           {HKEY_CLASSES_ROOT, "CLSID\\" + clsid},
           {HKEY_CLASSES_ROOT, kProgId},
           {HKEY_CLASSES_ROOT, kVersionedProgId},
           {HKEY_CLASSES_ROOT, "TypeLib\\" + libid}}) {
    EXPECT_FALSE(testreg::KeyExists(root, key.c_str())) << key;
  }
  EXPECT_FALSE(testreg::GetString(HKEY_LOCAL_MACHINE, kToolbarKey, clsid.c_str()));
  EXPECT_EQ(String(HKEY_LOCAL_MACHINE, kToolbarKey, kOtherToolbar), "Other toolbar");
  EXPECT_EQ(String(HKEY_CURRENT_USER, "Software\\Quillmask Notes", "Kept"), "yes");
  EXPECT_EQ(String(HKEY_CURRENT_USER, kInternetSettingsKey, "ProxyOverride"), "<local>");

  Sleep(500);  // time for a browser that the shell started to record its address
  EXPECT_TRUE(OpenedAddresses().empty()) << "no question, no poll page";
  EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kInternetSettingsKey, "ProxyEnable"), 1u);
  EXPECT_EQ(String(HKEY_CURRENT_USER, kInternetSettingsKey, "ProxyServer"), "127.0.0.1:3128")
      << "the user's own proxy is back";
}

TEST_F(InstallerTest, InteractiveUninstallAsksTheQuestionOfQuillstop) {
  Install();
  RecordOpenedAddresses();
  bool confirmed = false, asked = false, closed = false;
  const Outcome run = RunToEnd(Quoted(ProgramFolder() + "uninstall.exe"), [&] {
    const HWND uninstaller = FindDialog(kUninstallerCaption);
    const HWND next = ButtonOf(uninstaller, IDOK);
    if (!confirmed && next && IsWindowEnabled(next)) {
      confirmed = true;  // "Uninstall" on the first page
      PostMessageA(next, BM_CLICK, 0, 0);
    }
    const HWND question = FindWindowA("#32770", "Quillmask");
    if (!asked && question && IsWindowVisible(question)) {
      asked = true;
      PostMessageA(ButtonOf(question, IDOK), BM_CLICK, 0, 0);  // "Yes"
    }
    if (asked && !closed && next && IsWindowEnabled(next) && TextOf(next) == "&Close") {
      closed = true;
      PostMessageA(next, BM_CLICK, 0, 0);
    }
  });
  std::string shown;
  for (const std::string& title : run.windowsShown) shown += "[" + title + "] ";
  EXPECT_TRUE(run.ended) << shown;
  EXPECT_TRUE(asked) << "quillstop's question appeared";
  EXPECT_TRUE(closed);
  EXPECT_FALSE(Exists(ProgramFolder()));

  std::vector<std::string> opened;
  for (int i = 0; i < 100 && opened.empty(); ++i, Sleep(50)) opened = OpenedAddresses();
  Sleep(500);  // a second opening would have arrived by now
  opened = OpenedAddresses();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].rfind("http://", 0), 0u) << opened[0];
  EXPECT_NE(opened[0].find(kPollPageSuffix), std::string::npos) << opened[0];
}

// The band cannot write its toolbar value: the installation fails, says so by its exit code and
// leaves nothing behind.
TEST_F(InstallerTest, AFailedRegistrationInstallsNothing) {
  if (testreg::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) {  // an earlier test's installation
    ASSERT_TRUE(RunToEnd(String(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString")).ended);
  }
  ASSERT_FALSE(testreg::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) << "not installed";
  SetKeyAccess(kToolbarKey, "D:P(A;;KR;;;WD)");
  const Outcome run = RunToEnd(Quoted(WindowsPathFromUnix(QUILLMASK_INSTALLER)) + " /S");
  SetKeyAccess(kToolbarKey, "D:(A;;KA;;;WD)");
  ASSERT_TRUE(run.ended);
  EXPECT_NE(run.exitCode, 0u);
  EXPECT_TRUE(run.windowsShown.empty()) << run.windowsShown[0];
  EXPECT_FALSE(Exists(ProgramFolder()));
  EXPECT_FALSE(testreg::KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(testreg::KeyExists(HKEY_CLASSES_ROOT, kProgId));
  EXPECT_FALSE(testreg::GetString(HKEY_LOCAL_MACHINE, kSettingsKey, "AppPath"));
}

}  // namespace
