// A program under test run for real to its end and watched from outside, and the addresses it opens.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>
#include "host/message_box_answerer.h"
#include "tests/support/install_folder.h"

struct ProgramRun {
  bool ended = false;  // the program and every process it started ended within a minute
  DWORD exitCode = STILL_ACTIVE;
  std::vector<HWND> windows;  // the windows that came up meanwhile, in order
};

// Runs `commandLine` until it and every process it started have ended (an uninstaller hands over to
// a copy of itself and returns at once), calling `whileRunning` every 50 ms to answer what comes up
// (a window is in the run before `whileRunning` sees it).
inline ProgramRun RunToEnd(std::string commandLine, const std::function<void(const ProgramRun&)>& whileRunning = {}) {
  ProgramRun run;
  std::set<HWND> seen;
  for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) seen.insert(window);
  const HANDLE job = CreateJobObjectA(nullptr, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  EXPECT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                             &startup, &process) && AssignProcessToJobObject(job, process.hProcess)) << commandLine;
  ResumeThread(process.hThread);
  for (int i = 0; i < 1200 && !run.ended; ++i) {
    Sleep(50);
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
      if (IsWindowVisible(window) && seen.insert(window).second) run.windows.push_back(window);
    }
    if (whileRunning) whileRunning(run);
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION counts = {};
    run.ended = QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &counts, sizeof(counts), nullptr) &&
                counts.ActiveProcesses == 0;
  }
  if (!run.ended) TerminateJobObject(job, 1);
  GetExitCodeProcess(process.hProcess, &run.exitCode);
  for (HANDLE handle : {process.hProcess, process.hThread, job}) CloseHandle(handle);
  return run;
}

extern "C" BOOL WINAPI SetShellWindow(HWND);

inline bool RunsElevated(HWND window) {  // the process that owns `window`
  DWORD processId = 0, size = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId), token = nullptr;
  TOKEN_ELEVATION elevation = {};
  if (process && OpenProcessToken(process, TOKEN_QUERY, &token)) {
    GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size), CloseHandle(token);
  }
  if (process) CloseHandle(process);
  return elevation.TokenIsElevated;
}

// The desktop's shell while it lives: Wine's notepad run with this user's unelevated token (as Explorer
// runs for an administrator whose programs are elevated), its window made the shell window. Wine keeps
// a process's elevation, but every process is the same user in the same logon session.
class DesktopShell {
 public:
  DesktopShell() {
    HANDLE own = nullptr, primary = nullptr;
    TOKEN_LINKED_TOKEN linked = {};
    DWORD size = 0;
    char program[] = "notepad.exe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own) &&
                GetTokenInformation(own, TokenLinkedToken, &linked, sizeof(linked), &size) &&
                DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary,
                                 &primary) &&
                CreateProcessAsUserA(primary, nullptr, program, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                     &m_process));
    for (HANDLE handle : {own, linked.LinkedToken, primary, m_process.hThread}) CloseHandle(handle);
    for (int i = 0; i < 200 && !GetShellWindow(); ++i, Sleep(50)) {
      for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        if (processId == m_process.dwProcessId && IsWindowVisible(window)) SetShellWindow(window);
      }
    }
    EXPECT_TRUE(GetShellWindow() && !RunsElevated(GetShellWindow())) << "an unelevated shell";
  }
  ~DesktopShell() {
    TerminateProcess(m_process.hProcess, 0);
    WaitForSingleObject(m_process.hProcess, 10000);
    CloseHandle(m_process.hProcess);
  }

 private:
  PROCESS_INFORMATION m_process = {};
};

#ifdef RECORD_BROWSER_SCRIPT  // the tests that use them define where (see quillmask_recording_browser)
// The shell's browser: a script noting each address it is asked to open (quillmask_recording_browser).
inline void RecordOpenedAddresses() {
  DeleteFileA(WindowsPathFromUnix(OPENED_ADDRESSES_FILE).c_str());
  testreg::SetString(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", "Browsers", RECORD_BROWSER_SCRIPT);
}

// The addresses noted so far. The shell starts the browser on its own: this waits up to ten seconds
// for the first and half a second more for any second one.
inline std::vector<std::string> OpenedAddresses() {
  std::vector<std::string> opened;
  for (int i = 0, after = 0; i < 200 && after < 10; ++i, after += !opened.empty(), Sleep(50)) {
    std::ifstream file(WindowsPathFromUnix(OPENED_ADDRESSES_FILE));
    opened.clear();
    for (std::string line; std::getline(file, line);) opened.push_back(line);
  }
  return opened;
}
#endif
