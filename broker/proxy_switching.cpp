#include "broker/proxy_switching.h"

#include "broker/broker_client.h"
#include "broker/integrity_level.h"

namespace {

// The broker waits a few seconds at most for another window's switch, then writes in milliseconds.
constexpr DWORD kBrokerSwitchTimeoutMs = 15000;

bool Switched(BrokerResult result) {
  if (result == BrokerResult::Done) return true;
  SetLastError(result == BrokerResult::NotSwitchedOn ? ERROR_INVALID_STATE : ERROR_ACCESS_DENIED);
  return false;
}

}  // namespace

bool SwitchProxyOn(const char* proxy, ProxySwitch kind) {
  if (!WritesThroughBroker()) return SetConnectionOptions(proxy, NoticeFor(kind), kind);
  const BrokerRequestKind request = kind == ProxySwitch::Over ? BrokerRequestKind::SwitchOver : BrokerRequestKind::SwitchOn;
  return Switched(AskBroker({request, proxy ? proxy : ""}, WhileWaiting::HandleAllMessages, kBrokerSwitchTimeoutMs));
}

bool SwitchProxyOff() {
  if (!WritesThroughBroker()) return DisableConnectionProxy();
  return Switched(AskBroker({BrokerRequestKind::SwitchOff, {}}, WhileWaiting::HandleAllMessages, kBrokerSwitchTimeoutMs));
}
