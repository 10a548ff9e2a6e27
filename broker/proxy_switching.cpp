#include "broker/proxy_switching.h"

#include "broker/broker_client.h"
#include "broker/integrity_level.h"

namespace {

// The broker waits a few seconds at most for another window's switch, then writes in milliseconds.
constexpr DWORD kBrokerSwitchTimeoutMs = 15000;

SwitchResult ResultOf(bool switched) {
  if (switched) return SwitchResult::Done;
  return GetLastError() == ERROR_INVALID_STATE ? SwitchResult::NotSwitchedOn : SwitchResult::Refused;
}

SwitchResult ResultOf(BrokerResult result) {
  switch (result) {
    case BrokerResult::Done:
      return SwitchResult::Done;
    case BrokerResult::NotSwitchedOn:
      return SwitchResult::NotSwitchedOn;
    case BrokerResult::Unanswered:
      return SwitchResult::Unanswered;
    default:
      return SwitchResult::Refused;
  }
}

SwitchResult AskBrokerToSwitch(const BrokerRequest& request) {
  return ResultOf(AskBroker(request, WhileWaiting::HandleAllMessages, kBrokerSwitchTimeoutMs));
}

}  // namespace

SwitchResult SwitchProxyOn(const char* proxy, ProxySwitch kind) {
  if (!WritesThroughBroker()) return ResultOf(SetConnectionOptions(proxy, NoticeFor(kind), kind));
  const BrokerRequestKind request = kind == ProxySwitch::Over ? BrokerRequestKind::SwitchOver : BrokerRequestKind::SwitchOn;
  return AskBrokerToSwitch({request, proxy ? proxy : ""});
}

SwitchResult SwitchProxyOff() {
  if (!WritesThroughBroker()) return ResultOf(DisableConnectionProxy());
  return AskBrokerToSwitch({BrokerRequestKind::SwitchOff, {}});
}
