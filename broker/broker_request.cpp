#include "broker/broker_request.h"

#include "proxylist/list_text.h"
#include "proxylist/proxy_choice.h"

namespace {

struct Verb {
  BrokerRequestKind kind;
  const char* text;
  bool takesProxy;
};
constexpr Verb kVerbs[] = {{BrokerRequestKind::SwitchOn, "switch-on", true},
                           {BrokerRequestKind::SwitchOver, "switch-over", true},
                           {BrokerRequestKind::SwitchOff, "switch-off", false},
                           {BrokerRequestKind::RefreshList, "refresh-list", false}};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHostCharacter(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '_';
}

}  // namespace

std::vector<std::string> BrokerArguments(const BrokerRequest& request) {
  for (const Verb& verb : kVerbs) {
    if (verb.kind != request.kind) continue;
    if (verb.takesProxy) return {verb.text, request.proxy};
    return {verb.text};
  }
  return {};
}

std::optional<BrokerRequest> ParseBrokerArguments(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return std::nullopt;
  for (const Verb& verb : kVerbs) {
    if (arguments[0] != verb.text) continue;
    if (arguments.size() != (verb.takesProxy ? 2u : 1u)) return std::nullopt;  // one request a run
    if (verb.takesProxy && !IsProxyAddressForm(arguments[1])) return std::nullopt;
    return BrokerRequest{verb.kind, verb.takesProxy ? arguments[1] : std::string()};
  }
  return std::nullopt;
}

bool IsProxyAddressForm(std::string_view proxy) {
  if (proxy.size() > kMaxProxyAddress) return false;
  const size_t end = proxy.find_last_not_of(' ');
  if (end == std::string_view::npos) return false;
  proxy = proxy.substr(0, end + 1);
  const size_t colon = proxy.find(':');
  if (colon == 0 || colon == std::string_view::npos) return false;
  const std::string_view host = proxy.substr(0, colon), port = proxy.substr(colon + 1);
  if (port.empty() || port.size() > 5) return false;
  for (char c : host) {
    if (!IsHostCharacter(c)) return false;
  }
  for (char c : port) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

bool ListOffers(std::string_view listText, std::string_view proxy) {
  for (std::string_view entry : CutEntries(listText)) {
    if (entry != kPlaceholderEntry && CutProxyItem(entry).address == proxy) return true;
  }
  return false;
}

namespace {

// The switch results that the broker's exit code tells as they are (the writer never gives
// Unanswered); it tells every other as Refused.
struct ToldAsItIs {
  SwitchResult result;
  BrokerResult exitCode;
};
constexpr ToldAsItIs kToldAsTheyAre[] = {{SwitchResult::Done, BrokerResult::Done},
                                         {SwitchResult::NotSwitchedOn, BrokerResult::NotSwitchedOn},
                                         {SwitchResult::Unanswered, BrokerResult::Unanswered}};

}  // namespace

BrokerResult BrokerResultOf(SwitchResult result) {
  for (const ToldAsItIs& told : kToldAsTheyAre) {
    if (told.result == result) return told.exitCode;
  }
  return BrokerResult::Refused;
}

SwitchResult SwitchResultOf(BrokerResult exitCode) {
  for (const ToldAsItIs& told : kToldAsTheyAre) {
    if (told.exitCode == exitCode) return told.result;
  }
  return SwitchResult::Refused;
}
