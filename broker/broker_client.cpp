#include "broker/broker_client.h"

#include "framework/module.h"

namespace {

constexpr char kBrokerFileName[] = "quillbroker.exe";

std::string g_brokerPath;  // empty: beside this module

std::string BrokerPath() {
  if (!g_brokerPath.empty()) return g_brokerPath;
  char module[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(AfxGetResourceHandle(), module, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  std::string path(module, length);
  return path.substr(0, path.find_last_of('\\') + 1) + kBrokerFileName;
}

// The arguments need no escaping: a proxy address has no quote and ends with no backslash.
std::string CommandLine(const std::string& program, const BrokerRequest& request) {
  std::string line = '"' + program + '"';
  for (const std::string& argument : BrokerArguments(request)) line += " \"" + argument + '"';
  return line;
}

}  // namespace

BrokerResult AskBroker(const BrokerRequest& request, WhileWaiting messages, DWORD timeoutMs) {
  try {
    const std::string program = BrokerPath();
    std::string line = CommandLine(program, request);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (program.empty() || !CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                           nullptr, nullptr, &startup, &process)) {
      return BrokerResult::Refused;
    }
    CloseHandle(process.hThread);
    DWORD exitCode = static_cast<DWORD>(BrokerResult::Unanswered);
    // A broker that does not answer in time is left to end by itself: killed, it might stop
    // half-way through a switch.
    if (WaitModally(process.hProcess, timeoutMs, messages) && !GetExitCodeProcess(process.hProcess, &exitCode)) {
      exitCode = static_cast<DWORD>(BrokerResult::Refused);
    }
    CloseHandle(process.hProcess);
    return static_cast<BrokerResult>(exitCode);
  } catch (...) {  // out of memory
    return BrokerResult::Refused;
  }
}

std::string ReplaceBrokerPath(std::string path) {
  std::string previous = std::move(g_brokerPath);
  g_brokerPath = std::move(path);
  return previous;
}
