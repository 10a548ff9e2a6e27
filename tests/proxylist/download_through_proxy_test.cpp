// With the LAN connection's proxy set to a real HTTP proxy on loopback (tinyproxy, started by the
// test fixture), the list download goes through that proxy.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "connection/connection_proxy.h"
#include "proxylist/fetch_proxy_list.h"
#include "tests/support/loopback.h"
#include "tests/support/registry.h"
#include "tests/support/wine_paths.h"

namespace {

std::string ReadFixtureFile(const char* name) {
  std::ifstream file(WindowsPathFromUnix(std::string(TINYPROXY_DIR) + "/" + name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(DownloadThroughProxyTest, ListRequestGoesThroughTheConfiguredProxy) {
  const std::string proxyPort = ReadFixtureFile("port");
  ASSERT_FALSE(proxyPort.empty()) << "the tinyproxy fixture is not running";
  testreg::DeleteValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                       "EnableAutodial");
  ASSERT_TRUE(SetConnectionOptions(("127.0.0.1:" + proxyPort.substr(0, proxyPort.find('\n'))).c_str()));

  TestHttpServer server({"1.2.3.4:80- US<br />"});
  const std::string address = server.ListAddress();
  EXPECT_EQ(FetchProxyList(address), "1.2.3.4:80- US<br />");
  DisableConnectionProxy();

  EXPECT_NE(ReadFixtureFile("log").find("GET " + address), std::string::npos) << ReadFixtureFile("log");
  const std::vector<std::string> heads = server.RequestHeads();
  ASSERT_EQ(heads.size(), 1u);
  EXPECT_NE(heads[0].find("Via: "), std::string::npos) << "the server was reached by the proxy:\n" << heads[0];
}

}  // namespace
