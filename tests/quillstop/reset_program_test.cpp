// quillstop.exe run for real under Wine, its dialog found and answered the way a user would.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "connection/connection_options.h"
#include "connection/connection_proxy.h"
#include "tests/support/install_folder.h"
#include "tests/support/registry.h"
#include "tests/support/wine_paths.h"

namespace {

constexpr char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kPollPageSuffix[] = "/quillmask/poll.html";
constexpr char kQuestion[] =
    "Would you like to help us improve our product by participating in a short online pool?";

std::string ProgramPath() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.rfind('\\') + 1) + "quillstop.exe";
}

std::vector<std::string> OpenedAddresses() {
  std::vector<std::string> lines;
  std::ifstream file(WindowsPathFromUnix(OPENED_ADDRESSES_FILE));
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

DWORD LanProxyFlags() {
  INTERNET_PER_CONN_OPTIONA option = {};
  option.dwOption = INTERNET_PER_CONN_FLAGS;
  INTERNET_PER_CONN_OPTION_LISTA list = {};
  list.dwSize = sizeof(list);
  list.dwOptionCount = 1;
  list.pOptions = &option;
  DWORD size = sizeof(list);
  EXPECT_TRUE(InternetQueryOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size));
  return option.Value.dwValue;
}

std::string WindowText(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

std::string ClassName(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof(name));
  return name;
}

// The "Quillmask" dialog of the given process, waited for up to 20 seconds.
HWND WaitForDialog(DWORD processId, HANDLE process) {
  for (int i = 0; i < 400; ++i) {
    for (HWND window = FindWindowExA(nullptr, nullptr, "#32770", "Quillmask"); window;
         window = FindWindowExA(nullptr, window, "#32770", "Quillmask")) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == processId && IsWindowVisible(window)) return window;
    }
    if (WaitForSingleObject(process, 50) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

enum class Answer { Yes, No, Escape, CloseBox };

class ResetProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    DeleteFileA(WindowsPathFromUnix(OPENED_ADDRESSES_FILE).c_str());
    testreg::SetString(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", "Browsers", RECORD_BROWSER_SCRIPT);
    testreg::DeleteValue(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial");
    ClearUserState();
  }

  void TearDown() override { ClearUserState(); }

  // Starts quillstop with a proxy in use and `arguments` after its name, checks its dialog,
  // answers it and waits for the end.
  void RunAndAnswer(Answer answer, const std::string& arguments = "") {
    ASSERT_TRUE(SetConnectionOptions("127.0.0.1:3128"));
    ASSERT_EQ(LanProxyFlags() & PROXY_TYPE_PROXY, static_cast<DWORD>(PROXY_TYPE_PROXY));
    ASSERT_NO_FATAL_FAILURE(Start(arguments));
    AnswerTheQuestion(answer, [] {
      EXPECT_EQ(LanProxyFlags(), static_cast<DWORD>(PROXY_TYPE_DIRECT)) << "the proxy is off before the question";
    });
  }

  void Start(const std::string& arguments = "") {
    std::string commandLine = "\"" + ProgramPath() + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &m_process))
        << commandLine;
    CloseHandle(m_process.hThread);
  }

  // The next "Quillmask" window of the started quillstop; ends it and fails when none appears.
  HWND NextDialog() {
    const HWND dialog = WaitForDialog(m_process.dwProcessId, m_process.hProcess);
    if (!dialog) {
      TerminateProcess(m_process.hProcess, 1);
      ADD_FAILURE() << "no Quillmask dialog appeared";
    }
    return dialog;
  }

  // Waits for the question of the started quillstop, runs `whileAsking`, answers and waits for the end.
  void AnswerTheQuestion(Answer answer, const std::function<void()>& whileAsking) {
    PROCESS_INFORMATION& process = m_process;
    const HWND dialog = NextDialog();
    if (!dialog) {
      CloseHandle(process.hProcess);
      return;
    }
    whileAsking();
    CheckDialog(dialog);

    const HWND yes = GetDlgItem(dialog, IDOK);
    switch (answer) {
      case Answer::Yes:
        PostMessageA(yes, BM_CLICK, 0, 0);
        break;
      case Answer::No:
        PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        break;
      case Answer::Escape:
        PostMessageA(yes, WM_KEYDOWN, VK_ESCAPE, 0);
        break;
      case Answer::CloseBox:
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
    const DWORD waited = WaitForSingleObject(process.hProcess, 20000);
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    EXPECT_EQ(waited, static_cast<DWORD>(WAIT_OBJECT_0)) << "quillstop ends once answered";
  }

  PROCESS_INFORMATION m_process = {};

  static void CheckDialog(HWND dialog) {
    EXPECT_EQ(WindowText(dialog), "Quillmask");
    const LONG_PTR style = GetWindowLongPtrA(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(GetWindowLongPtrA(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW);

    const HWND yes = GetDlgItem(dialog, IDOK);
    const HWND no = GetDlgItem(dialog, IDCANCEL);
    ASSERT_TRUE(yes && no);
    EXPECT_EQ(WindowText(yes), "Yes");
    EXPECT_EQ(WindowText(no), "No");
    EXPECT_EQ(GetWindowLongPtrA(yes, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(LOWORD(SendMessageA(dialog, DM_GETDEFID, 0, 0)), IDOK);

    std::vector<std::string> statics;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (ClassName(child) == "Static") statics.push_back(WindowText(child));
    }
    EXPECT_EQ(statics, std::vector<std::string>{kQuestion});
  }
};

// Wine answers WM_GETICON from another process with nothing, so the icon is checked in the file.
TEST(ResetProgramResourcesTest, CarriesItsIconGroupAndVersion) {
  const HMODULE program = LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(program);

  // GRPICONDIR followed by its entries: three 32x32 images of 16 colours, 256 colours and 32 bits.
#pragma pack(push, 2)
  struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
  };
#pragma pack(pop)
  const HRSRC group = FindResourceA(program, MAKEINTRESOURCEA(128), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  ASSERT_TRUE(group);
  const auto* header = static_cast<const WORD*>(LockResource(LoadResource(program, group)));
  ASSERT_EQ(header[2], 3);
  const auto* entries = reinterpret_cast<const GroupEntry*>(header + 3);
  const WORD bitCounts[] = {4, 8, 32};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(entries[i].width, 32);
    EXPECT_EQ(entries[i].height, 32);
    EXPECT_EQ(entries[i].bitCount, bitCounts[i]);
  }

  DWORD ignored = 0;
  const std::string programPath = ProgramPath();
  const DWORD versionSize = GetFileVersionInfoSizeA(programPath.c_str(), &ignored);
  ASSERT_GT(versionSize, 0u);
  std::vector<char> version(versionSize);
  ASSERT_TRUE(GetFileVersionInfoA(programPath.c_str(), 0, versionSize, version.data()));
  char* productName = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(version.data(), "\\StringFileInfo\\040904b0\\ProductName",
                             reinterpret_cast<void**>(&productName), &length));
  EXPECT_STREQ(productName, "Quillmask");
  FreeLibrary(program);
}

bool IsPollPage(const std::string& address) {
  return address.rfind("http://", 0) == 0 && address.size() > sizeof(kPollPageSuffix) &&
         address.compare(address.size() - (sizeof(kPollPageSuffix) - 1), std::string::npos, kPollPageSuffix) == 0;
}

TEST_F(ResetProgramTest, YesOpensThePollPageExactlyOnce) {
  RunAndAnswer(Answer::Yes);
  // The shell starts the browser on its own; give it time to arrive.
  std::vector<std::string> opened;
  for (int i = 0; i < 200 && opened.empty(); ++i) {
    Sleep(50);
    opened = OpenedAddresses();
  }
  Sleep(500);  // a second opening would have arrived by now
  opened = OpenedAddresses();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_TRUE(IsPollPage(opened[0])) << opened[0];
}

// Run three times in a row: each run switches the proxy off again and asks again. Only "/S"
// itself keeps quillstop from asking: near misses of it ask as no argument does.
TEST_F(ResetProgramTest, NoEscapeAndTheCloseBoxOpenNothing) {
  const std::pair<Answer, const char*> runs[] = {{Answer::No, ""}, {Answer::Escape, "/s"}, {Answer::CloseBox, "/S /S"}};
  for (const auto& [answer, arguments] : runs) {
    SCOPED_TRACE(arguments);
    RunAndAnswer(answer, arguments);
  }
  Sleep(1500);  // long enough for a browser started by any of them to have recorded its address
  EXPECT_TRUE(OpenedAddresses().empty());
}

// The user's own proxy, kept when the toolbar switched its own on, is what quillstop gives back.
// Where it may not write the settings it says so, then asks all the same.
TEST_F(ResetProgramTest, GivesTheUsersOwnProxyBackOrSaysItCannot) {
  ASSERT_TRUE(WriteConnectionOptions(nullptr, {PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, "127.0.0.1:3128", "", "", 0}));
  ASSERT_TRUE(SetConnectionOptions("127.0.0.1:9999", ChangeNotice::AfterLastWrite, OwnSettings::Save));
  testreg::SetString(HKEY_CURRENT_USER, kSettingsKey, "ActiveIP", "127.0.0.1:9999");
  {
    testreg::ReadOnlyKey locked(HKEY_CURRENT_USER, kInternetSettings);
    ASSERT_NO_FATAL_FAILURE(Start());
    const HWND box = NextDialog();
    ASSERT_TRUE(box);
    std::vector<std::string> texts;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      texts.push_back(WindowText(child));
    }
    EXPECT_NE(std::find(texts.begin(), texts.end(), kProxyNotRemovedText), texts.end());
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    while (IsWindow(box)) Sleep(20);
    AnswerTheQuestion(Answer::No, [] {});
    EXPECT_EQ(testreg::GetString(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer"), "127.0.0.1:9999");
  }
  ASSERT_NO_FATAL_FAILURE(Start());
  AnswerTheQuestion(Answer::No, [] {
    EXPECT_EQ(testreg::GetDword(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable"), 1u);
    EXPECT_EQ(testreg::GetString(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer"), "127.0.0.1:3128");
  });
}

// Run by the silent uninstaller: the proxy goes off and quillstop ends by itself, without a window.
TEST_F(ResetProgramTest, SilentSwitchResetsTheProxyAndShowsNothing) {
  ASSERT_TRUE(SetConnectionOptions("127.0.0.1:3128"));
  ASSERT_NO_FATAL_FAILURE(Start("/S"));
  const PROCESS_INFORMATION& process = m_process;
  bool windowShown = false;
  DWORD waited = WAIT_TIMEOUT;
  for (int i = 0; i < 400 && waited == WAIT_TIMEOUT; ++i) {
    waited = WaitForSingleObject(process.hProcess, 25);
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      windowShown |= owner == process.dwProcessId && IsWindowVisible(window);
    }
  }
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hProcess);
  ASSERT_EQ(waited, static_cast<DWORD>(WAIT_OBJECT_0)) << "quillstop /S waits for nobody";
  EXPECT_EQ(exitCode, 0u);
  EXPECT_FALSE(windowShown);
  EXPECT_EQ(LanProxyFlags(), static_cast<DWORD>(PROXY_TYPE_DIRECT));
  Sleep(500);
  EXPECT_TRUE(OpenedAddresses().empty());
}

}  // namespace
