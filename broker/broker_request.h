// What the toolbar in a low-integrity browser may ask of its broker, quillbroker.exe, and how the
// request travels: as the broker's command line, one request a run, the answer as its exit code.
// Pure text logic, free of Win32.
//
//   quillbroker.exe switch-on "HOST:PORT"     the toolbar's proxy on, or over from the one in use
//   quillbroker.exe switch-over "HOST:PORT"   only replace the toolbar's proxy in use
//   quillbroker.exe switch-off                 back to the user's own settings
//   quillbroker.exe refresh-list               download the proxy list and store it
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "connection/switch_result.h"

enum class BrokerRequestKind { SwitchOn, SwitchOver, SwitchOff, RefreshList };

struct BrokerRequest {
  BrokerRequestKind kind;
  std::string proxy;  // "host:port" for a switch on or over, else empty
};

// The broker's exit code. A request that is not done changes nothing.
enum class BrokerResult : unsigned long {
  Done = 0,
  BadRequest = 10,     // not exactly one well-formed request
  NotInList = 11,      // the proxy is no entry of the stored list
  NoList = 12,         // no list is stored
  NotSwitchedOn = 13,  // a switch-over, while the toolbar's proxy is off
  Refused = 14,        // the settings could not be written (or another window's switch did not end)
  DownloadFailed = 15, // no list came; the stored one stays
  // Never an exit code of the broker: the band's own finding that it did not end within the band's
  // bound. It may still do what it was asked.
  Unanswered = 16,
};

// The exit code that tells what a switch came to: the lock not had and memory run out as Refused.
BrokerResult BrokerResultOf(SwitchResult result);
// What came of a switch the broker was asked for: any refusal of the request as Refused.
SwitchResult SwitchResultOf(BrokerResult exitCode);

// The longest proxy address accepted: what a proxy box item gives back.
inline constexpr size_t kMaxProxyAddress = 259;

// The arguments (after the program's name) that carry `request`.
std::vector<std::string> BrokerArguments(const BrokerRequest& request);

// The request that `arguments` make, when they are exactly one well-formed request.
std::optional<BrokerRequest> ParseBrokerArguments(const std::vector<std::string>& arguments);

// Whether `proxy` has the form of an address the toolbar puts in: a host of letters, digits, dots
// and underscores, ':', a port of one to five digits, and the blanks that stood before the entry's
// "-". No other character, no control character, at most kMaxProxyAddress characters.
bool IsProxyAddressForm(std::string_view proxy);

// Whether an entry of `listText` (as the list file holds it) has `proxy` as its address.
bool ListOffers(std::string_view listText, std::string_view proxy);
