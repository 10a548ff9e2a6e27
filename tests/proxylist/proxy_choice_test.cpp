// A list item cut into what the proxy selection needs.
#include "proxylist/proxy_choice.h"
#include <gtest/gtest.h>
#include <tuple>

TEST(CutProxyItemTest, CutsAddressLocationHostAndPort) {
  const struct { const char* item; const char* address; const char* location; const char* host; int port; } cases[] = {
      {"1.2.3.4:80- US", "1.2.3.4:80", "US", "1.2.3.4", 80},
      {"127.0.0.1:8002 - Two - B", "127.0.0.1:8002 ", "Two - B", "127.0.0.1", 8002},  // blanks kept
      {"h:81", "h:81", "", "h", 81},         // no "-": the whole item, no location
      {"h:82-", "h:82", "", "h", 82},        // nothing after the "-"
      {"h:83-X", "h:83", "", "h", 83},       // only the one character after it
      {"8080- X", "8080", "X", "", 8080},    // no ":": no host, the port from the whole address
      {"h:8o- X", "h:8o", "X", "h", 8},      // the port's digits up to the first other character
      {"h:port- X", "h:port", "X", "h", 0}};
  for (const auto& c : cases) {
    const ProxyChoice choice = CutProxyItem(c.item);
    EXPECT_EQ(std::tie(choice.address, choice.location, choice.host, choice.port),
              std::tie(c.address, c.location, c.host, c.port)) << c.item;
  }
}
