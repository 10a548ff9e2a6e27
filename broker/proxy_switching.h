// Where the band writes the user's settings and its list: directly where it may, through the broker
// where it may not (a low-integrity browser, see WritesThroughBroker), waiting for the broker as for
// the proxy test. The band chooses one writer when it is made and hands it to its toolbar.
#pragma once

#include "connection/connection_proxy.h"
#include "proxylist/proxy_list_loader.h"

struct BandWriter {
  // SetConnectionOptions and DisableConnectionProxy as this writer makes them: through the broker,
  // a switch may also come to Unanswered.
  SwitchResult (*SetConnectionOptions)(const char* proxy, ProxySwitch kind);
  SwitchResult (*DisableConnectionProxy)();
  // The refresh step LoadProxyList is given: nullptr where the band stores the list itself.
  DelegatedRefresh refreshList;
};

extern const BandWriter kDirectWriter;
extern const BandWriter kBrokerWriter;
