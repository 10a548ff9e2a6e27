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

TEST(IsProxyAddressFormTest, TakesHostColonPortWithTheBlanksBeforeTheEntrysDash) {
  for (const std::string& proxy : std::vector<std::string>{"127.0.0.1:8001", "proxy_1.Example.org:65535", "h:1  ",
                                  std::string(kMaxProxyAddress - 3, 'h') + ":80"}) {
    EXPECT_TRUE(IsProxyAddressForm(proxy)) << proxy;
  }
}

TEST(IsProxyAddressFormTest, RefusesOtherCharactersMissingPartsAndOverlongAddresses) {
  for (const std::string& proxy : std::vector<std::string>{"", " ", "127.0.0.1", ":80", "h:", "h:123456", "h:8o", "h :80", " h:80",
                                  "h:80\t", "h:80\r\n", "h-1:80", "h:80:81", std::string("h\0:80", 5),
                                  std::string(kMaxProxyAddress - 2, 'h') + ":80"}) {
    EXPECT_FALSE(IsProxyAddressForm(proxy)) << proxy;
  }
}

TEST(ListOffersTest, OffersOnlyAnEntrysWholeAddress) {
  const std::string_view list = "127.0.0.1:8001- One<br />127.0.0.1:8002 - Two<br />\r\n127.0.0.1:8003- Three<br />"
                                "(null)<br />127.0.0.1:8004- After the last terminator";
  for (const char* offered : {"127.0.0.1:8001", "127.0.0.1:8002 "}) EXPECT_TRUE(ListOffers(list, offered)) << offered;
  for (const char* notOffered : {"127.0.0.1:800", "127.0.0.1:8002", "127.0.0.1:8003", "(null)", "127.0.0.1:8004", ""}) {
    EXPECT_FALSE(ListOffers(list, notOffered)) << notOffered;
  }
}
