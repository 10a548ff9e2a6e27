// The broker's side of a request, as a hostile caller may make it: the input is the stored list's
// text up to the first NUL, then the arguments, separated by NULs. What the broker does with them:
// parse the request, and check the list for a switch's proxy.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "broker/broker_request.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view listText = input.substr(0, input.find('\0'));
  input.remove_prefix(listText.size() == input.size() ? input.size() : listText.size() + 1);
  std::vector<std::string> arguments;
  while (!input.empty()) {
    const std::string_view argument = input.substr(0, input.find('\0'));
    arguments.emplace_back(argument);
    input.remove_prefix(argument.size() == input.size() ? input.size() : argument.size() + 1);
  }

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
    if (ListOffers(listText, request->proxy)) FUZZ_REQUIRE(listText.find(request->proxy) != std::string_view::npos);
  }
  return 0;
}
