// The broker's side of a request, as a hostile caller may make it: the input is the stored list's
// text up to the first NUL, then the arguments, separated by NULs. What the broker does with them:
// parse the request, and check the list for a switch's proxy.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "broker/broker_request.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> arguments;  // the list's text first
  for (std::string_view input(reinterpret_cast<const char*>(data), size); !input.empty();) {
    arguments.emplace_back(input.substr(0, input.find('\0')));
    input.remove_prefix(std::min(input.size(), arguments.back().size() + 1));
  }
  const std::string listText = arguments.empty() ? std::string() : arguments.front();
  if (!arguments.empty()) arguments.erase(arguments.begin());

  for (const std::string& argument : arguments) {
    if (!IsProxyAddressForm(argument)) continue;
    FUZZ_REQUIRE(argument.size() <= kMaxProxyAddress && argument.find(':') != std::string::npos);
    for (const char c : argument) FUZZ_REQUIRE(c >= ' ' && c <= '~');
  }
  const std::optional<BrokerRequest> request = ParseBrokerArguments(arguments);
  if (!request) return 0;
  FUZZ_REQUIRE(BrokerArguments(*request) == arguments);  // exactly one request, read back whole
  if (request->kind == BrokerRequestKind::SwitchOn || request->kind == BrokerRequestKind::SwitchOver) {
    FUZZ_REQUIRE(IsProxyAddressForm(request->proxy));
    if (ListOffers(listText, request->proxy)) FUZZ_REQUIRE(listText.find(request->proxy) != std::string::npos);
  }
  return 0;
}
