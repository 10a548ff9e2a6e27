#include "host/server_registration.h"

namespace {

constexpr DWORD kRegistrationTimeoutMs = 60000;

// Runs the system's regsvr32 with `options` on `dllPath` and waits for it.
HRESULT RunRegsvr32(const char* options, const std::string& dllPath) {
  char systemFolder[MAX_PATH];
  const UINT length = GetSystemDirectoryA(systemFolder, sizeof(systemFolder));
  if (length == 0 || length >= sizeof(systemFolder)) return HRESULT_FROM_WIN32(GetLastError());
  const std::string program = std::string(systemFolder) + "\\regsvr32.exe";
  std::string commandLine = "\"" + program + "\" " + options + " \"" + dllPath + "\"";

  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return HRESULT_FROM_WIN32(GetLastError());
  }
  DWORD exitCode = 1;
  HRESULT result = E_FAIL;
  if (WaitForSingleObject(process.hProcess, kRegistrationTimeoutMs) != WAIT_OBJECT_0) {
    result = HRESULT_FROM_WIN32(ERROR_TIMEOUT);
  } else if (GetExitCodeProcess(process.hProcess, &exitCode) && exitCode == 0) {
    result = S_OK;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

}  // namespace

HRESULT RegisterServer(const std::string& dllPath) { return RunRegsvr32("/s", dllPath); }

HRESULT UnregisterServer(const std::string& dllPath) { return RunRegsvr32("/u /s", dllPath); }

std::string PathBesideProgram(const char* fileName) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
  if (length == 0 || length >= sizeof(path)) return fileName;
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1) + fileName;
}
