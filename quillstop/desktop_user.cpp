#include "quillstop/desktop_user.h"

#include <windows.h>
#include <userenv.h>

#include <string>
#include <vector>

namespace {

// A kernel handle owned alone, closed with it.
class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(HANDLE handle) : m_handle(handle) {}
  ~OwnedHandle() {
    if (m_handle) CloseHandle(m_handle);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  HANDLE Get() const { return m_handle; }
  HANDLE* Receive() { return &m_handle; }

 private:
  HANDLE m_handle = nullptr;
};

// Whom a token speaks for: its user, and whether it is elevated.
struct Identity {
  std::vector<BYTE> user;  // TOKEN_USER with its SID
  bool elevated = false;
};

bool ReadIdentity(HANDLE token, Identity& identity) {
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size == 0) return false;
  identity.user.resize(size);
  TOKEN_ELEVATION elevation = {};
  if (!GetTokenInformation(token, TokenUser, identity.user.data(), size, &size) ||
      !GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size)) {
    return false;
  }
  identity.elevated = elevation.TokenIsElevated != 0;
  return true;
}

bool SameIdentity(const Identity& a, const Identity& b) {
  return a.elevated == b.elevated && EqualSid(reinterpret_cast<const TOKEN_USER*>(a.user.data())->User.Sid,
                                              reinterpret_cast<const TOKEN_USER*>(b.user.data())->User.Sid);
}

// This program's folder, which every user may read: the new process's working folder.
std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return std::wstring();
  path.resize(length);
  return path.substr(0, path.find_last_of(L'\\'));
}

// Starts this program's command line again with `token`. CreateProcessAsUser takes a token that is
// not this process's only with the privilege of assigning one, which services hold; an administrator
// holds the one of impersonating, which CreateProcessWithTokenW asks for.
bool StartAgain(HANDLE token, PROCESS_INFORMATION& process) {
  std::wstring commandLine = GetCommandLineW();
  const std::wstring folder = ProgramFolder();
  LPVOID environment = nullptr;
  if (!CreateEnvironmentBlock(&environment, token, FALSE)) return false;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  const DWORD flags = CREATE_UNICODE_ENVIRONMENT;
  const LPCWSTR workingFolder = folder.empty() ? nullptr : folder.c_str();
  bool started = CreateProcessAsUserW(token, nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, environment,
                                      workingFolder, &startup, &process);
  if (!started && GetLastError() == ERROR_PRIVILEGE_NOT_HELD) {
    started = CreateProcessWithTokenW(token, 0, nullptr, commandLine.data(), flags, environment, workingFolder, &startup,
                                      &process);
  }
  DestroyEnvironmentBlock(environment);
  return started;
}

}  // namespace

std::optional<bool> RunAgainAsDesktopUser() {
  const HWND shell = GetShellWindow();
  DWORD shellProcessId = 0;
  if (!shell || !GetWindowThreadProcessId(shell, &shellProcessId) || shellProcessId == GetCurrentProcessId()) {
    return std::nullopt;
  }
  // From here on there is a desktop user; one whose token is out of reach has not had their proxy reset.
  OwnedHandle shellProcess(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, shellProcessId));
  OwnedHandle shellToken, ownToken, desktopToken;
  Identity desktopUser, thisProcess;
  if (!shellProcess.Get() || !OpenProcessToken(shellProcess.Get(), TOKEN_QUERY | TOKEN_DUPLICATE, shellToken.Receive()) ||
      !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, ownToken.Receive()) ||
      !ReadIdentity(shellToken.Get(), desktopUser) || !ReadIdentity(ownToken.Get(), thisProcess)) {
    return false;
  }
  if (SameIdentity(desktopUser, thisProcess)) return std::nullopt;

  constexpr DWORD kAccess = TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_SESSIONID;
  PROCESS_INFORMATION process = {};
  if (!DuplicateTokenEx(shellToken.Get(), kAccess, nullptr, SecurityImpersonation, TokenPrimary, desktopToken.Receive()) ||
      !StartAgain(desktopToken.Get(), process)) {
    return false;
  }
  OwnedHandle processHandle(process.hProcess), threadHandle(process.hThread);
  DWORD exitCode = STILL_ACTIVE;
  return WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
         GetExitCodeProcess(process.hProcess, &exitCode) && exitCode == 0;
}
