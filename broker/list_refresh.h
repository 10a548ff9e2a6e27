// The band's refresh of the proxy list where it may not store the list (a low-integrity browser):
// the broker downloads and stores it.
#pragma once

// Asks the broker to download and store the list, waiting as long as its start and the download may
// take, the thread answering what is sent to its windows meanwhile. True once the broker stored a
// list (or found one stored meanwhile). The band gives it to LoadProxyList where it writes through
// the broker.
bool RefreshListThroughBroker();
