#include "broker/list_refresh.h"

#include "broker/broker_client.h"
#include "proxylist/fetch_proxy_list.h"

bool RefreshListThroughBroker() {
  constexpr DWORD kBrokerStartMs = 10000;
  return AskBroker({BrokerRequestKind::RefreshList, {}}, WhileWaiting::HandleSentMessages,
                   kListDownloadLimits.wholeTimeoutMs + kBrokerStartMs) == BrokerResult::Done;
}
