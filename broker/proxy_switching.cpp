#include "broker/proxy_switching.h"

#include "broker/broker_client.h"
#include "broker/list_refresh.h"

namespace {

// The broker waits a few seconds at most for another window's switch, then writes in milliseconds.
constexpr DWORD kBrokerSwitchTimeoutMs = 15000;

SwitchResult AskBrokerToSwitch(const BrokerRequest& request) {
  return SwitchResultOf(AskBroker(request, WhileWaiting::HandleAllMessages, kBrokerSwitchTimeoutMs));
}

namespace through_broker {

SwitchResult SetConnectionOptions(const char* proxy, ProxySwitch kind) {
  const BrokerRequestKind request = kind == ProxySwitch::Over ? BrokerRequestKind::SwitchOver : BrokerRequestKind::SwitchOn;
  return AskBrokerToSwitch({request, proxy ? proxy : ""});
}

SwitchResult DisableConnectionProxy() { return AskBrokerToSwitch({BrokerRequestKind::SwitchOff, {}}); }

}  // namespace through_broker

}  // namespace

const BandWriter kDirectWriter = {SetConnectionOptions, DisableConnectionProxy, nullptr};
const BandWriter kBrokerWriter = {through_broker::SetConnectionOptions, through_broker::DisableConnectionProxy,
                                  RefreshListThroughBroker};
