// The broker's request as its command line: written by the band, read back by the broker, which
// takes exactly one well-formed request and a proxy only of the list's entries.
#include "broker/broker_request.h"
#include <gtest/gtest.h>

using Arguments = std::vector<std::string>;

TEST(BrokerArgumentsTest, EachRequestTravelsAsItsVerbAndProxyAndReadsBackTheSame) {
  const std::pair<BrokerRequest, Arguments> cases[] = {
      {{BrokerRequestKind::SwitchOn, "127.0.0.1:8001"}, {"switch-on", "127.0.0.1:8001"}},
      {{BrokerRequestKind::SwitchOver, "127.0.0.1:8002 "}, {"switch-over", "127.0.0.1:8002 "}},
      {{BrokerRequestKind::SwitchOff, ""}, {"switch-off"}},
      {{BrokerRequestKind::RefreshList, ""}, {"refresh-list"}}};
  for (const auto& [request, arguments] : cases) {
    EXPECT_EQ(BrokerArguments(request), arguments) << arguments[0];
    const std::optional<BrokerRequest> parsed = ParseBrokerArguments(arguments);
    ASSERT_TRUE(parsed) << arguments[0];
    EXPECT_EQ(std::tie(parsed->kind, parsed->proxy), std::tie(request.kind, request.proxy)) << arguments[0];
  }
}

TEST(ParseBrokerArgumentsTest, AnythingButExactlyOneWellFormedRequestIsNone) {
  const Arguments refused[] = {{}, {""}, {"switch-on"}, {"Switch-On", "127.0.0.1:8001"}, {"switch-off", "switch-off"},
                               {"switch-on", "127.0.0.1:8001", "switch-off"}, {"refresh-list", "127.0.0.1:8001"},
                               {"switch-on", "127.0.0.1:8001;calc"}, {"switch-over", "\r\n127.0.0.1:8003"}};
  for (const Arguments& arguments : refused) {
    std::string line;
    for (const std::string& argument : arguments) line += "[" + argument + "]";
    EXPECT_FALSE(ParseBrokerArguments(arguments)) << line;
  }
}

// Host and port, with the blanks that come before an entry's dash; nothing else, and no longer than the bound.
TEST(IsProxyAddressFormTest, TakesHostColonPortWithTrailingBlanksOnly) {
  const std::string longest = std::string(kMaxProxyAddress - 3, 'h') + ":80";
  const std::pair<std::string, bool> cases[] = {
      {"127.0.0.1:8001", true}, {"proxy_1.Example.org:65535", true}, {"h:1  ", true}, {longest, true},
      {"h" + longest, false}, {"", false}, {" ", false}, {"127.0.0.1", false}, {":80", false}, {"h:", false},
      {"h:123456", false}, {"h:8o", false}, {"h :80", false}, {" h:80", false}, {"h:80\t", false},
      {"h:80\r\n", false}, {"h-1:80", false}, {"h:80:81", false}, {std::string("h\0:80", 5), false}};
  for (const auto& [proxy, taken] : cases) EXPECT_EQ(IsProxyAddressForm(proxy), taken) << proxy;
}

TEST(ListOffersTest, OffersOnlyAnEntrysWholeAddress) {
  const std::string_view list = "127.0.0.1:8001- One<br />127.0.0.1:8002 - Two<br />\r\n127.0.0.1:8003- Three<br />"
                                "(null)<br />127.0.0.1:8004- After the last terminator";
  for (const char* offered : {"127.0.0.1:8001", "127.0.0.1:8002 "}) EXPECT_TRUE(ListOffers(list, offered)) << offered;
  for (const char* notOffered : {"127.0.0.1:800", "127.0.0.1:8002", "127.0.0.1:8003", "(null)", "127.0.0.1:8004", ""}) {
    EXPECT_FALSE(ListOffers(list, notOffered)) << notOffered;
  }
}
