// quillbroker.exe: the toolbar's broker in a low-integrity browser. The browser starts it at medium
// integrity without asking (the installer's elevation policy), so it may do what the toolbar there
// may not: switch the toolbar's proxy and store a downloaded list. Its caller may be a page that
// has taken over the tab: it serves only the toolbar's own requests, well-formed, one a run, and a
// proxy only if the list it reads itself offers it. Its exit code is the BrokerResult.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "broker/broker_request.h"
#include "connection/connection_proxy.h"
#include "proxylist/proxy_list_loader.h"

namespace {

// The arguments after the program's name, read from the wide command line as the system passed it,
// with no code page in between. A request is ASCII: an argument with any other character becomes
// one that no request accepts.
std::vector<std::string> Arguments() {
  int count = 0;
  LPWSTR* const wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide && i < count; ++i) {
    std::string argument;
    for (const wchar_t* c = wide[i]; *c; ++c) {
      if (*c >= 0x80) {
        argument = std::string(1, '\x01');
        break;
      }
      argument += static_cast<char>(*c);
    }
    arguments.push_back(argument);
  }
  LocalFree(wide);
  return arguments;
}

BrokerResult SwitchTo(const BrokerRequest& request) {
  const std::optional<std::string> list = ReadStoredList();
  if (!list) return BrokerResult::NoList;
  if (!ListOffers(*list, request.proxy)) return BrokerResult::NotInList;
  const ProxySwitch kind = request.kind == BrokerRequestKind::SwitchOver ? ProxySwitch::Over : ProxySwitch::On;
  return BrokerResultOf(SetConnectionOptions(request.proxy.c_str(), kind));
}

BrokerResult Serve(const std::vector<std::string>& arguments) {
  const std::optional<BrokerRequest> request = ParseBrokerArguments(arguments);
  if (!request) return BrokerResult::BadRequest;
  switch (request->kind) {
    case BrokerRequestKind::SwitchOn:
    case BrokerRequestKind::SwitchOver:
      return SwitchTo(*request);
    case BrokerRequestKind::SwitchOff:
      return BrokerResultOf(DisableConnectionProxy());
    case BrokerRequestKind::RefreshList:
      return RefreshStoredList() ? BrokerResult::Done : BrokerResult::DownloadFailed;
  }
  return BrokerResult::BadRequest;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    return static_cast<int>(Serve(Arguments()));
  } catch (...) {  // out of memory: nothing was done
    return static_cast<int>(BrokerResult::Refused);
  }
}
