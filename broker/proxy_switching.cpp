#include "broker/proxy_switching.h"

#include "broker/broker_client.h"
#include "broker/integrity_level.h"

namespace {

// The broker waits a few seconds at most for another window's switch, then writes in milliseconds.
constexpr DWORD kBrokerSwitchTimeoutMs = 15000;

SwitchResult AskBrokerToSwitch(const BrokerRequest& request) {
  return SwitchResultOf(AskBroker(request, WhileWaiting::HandleAllMessages, kBrokerSwitchTimeoutMs));
}

}  // namespace

SwitchResult SwitchProxyOn(const char* proxy, ProxySwitch kind) {
  if (!WritesThroughBroker()) return SetConnectionOptions(proxy, kind);
  const BrokerRequestKind request = kind == ProxySwitch::Over ? BrokerRequestKind::SwitchOver : BrokerRequestKind::SwitchOn;
  return AskBrokerToSwitch({request, proxy ? proxy : ""});
}

SwitchResult SwitchProxyOff() {
  if (!WritesThroughBroker()) return DisableConnectionProxy();
  return AskBrokerToSwitch({BrokerRequestKind::SwitchOff, {}});
}
