// Taking the list's address apart: the scheme decides TLS and the default port.
#include "proxylist/list_address.h"

#include <gtest/gtest.h>

namespace {

struct AddressCase {
  const char* address;
  bool secure;
  const char* host;
  unsigned short port;
  const char* path;
};

TEST(ParseListAddressTest, SchemeDecidesTlsAndTheDefaultPort) {
  const AddressCase cases[] = {
      {"http://127.0.0.1:8470/services/nimbus/proxy/sortedproxylist.txt", false, "127.0.0.1", 8470,
       "/services/nimbus/proxy/sortedproxylist.txt"},
      {"http://lists.example/a.txt", false, "lists.example", 80, "/a.txt"},
      {"https://lists.example/a.txt", true, "lists.example", 443, "/a.txt"},
      {"https://localhost:8443/a?b=c", true, "localhost", 8443, "/a?b=c"},
      {"HTTPS://Lists.Example", true, "Lists.Example", 443, "/"},
      {"Http://h:65535", false, "h", 65535, "/"},
  };
  for (const AddressCase& c : cases) {
    SCOPED_TRACE(c.address);
    const std::optional<ListAddress> parsed = ParseListAddress(c.address);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->secure, c.secure);
    EXPECT_EQ(parsed->host, c.host);
    EXPECT_EQ(parsed->port, c.port);
    EXPECT_EQ(parsed->path, c.path);
  }
}

TEST(ParseListAddressTest, AnythingElseIsNoAddress) {
  for (const char* address : {"", "not an address", "ftp://h/x", "https:/h/x", "httpss://h/x", "//h/x", "http://",
                              "http:///x", "http://:80/x", "http://h:/x", "http://h:0/x", "http://h:65536/x",
                              "http://h:8o/x", "http://h:-1/x", "http://user@h/x", "http://user:pw@h/x",
                              "https://h x/"}) {
    EXPECT_FALSE(ParseListAddress(address)) << address;
  }
}

}  // namespace
