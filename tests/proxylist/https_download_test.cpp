// The list over HTTPS from real TLS peers on loopback (support/tls-fixture, whose test authority the
// prefix trusts), directly and through the system's proxy (a tinyproxy of the fixture's).
#include <gtest/gtest.h>
#include <sstream>
#include "connection/connection_proxy.h"
#include "tests/support/list_loading.h"

constexpr char kListPath[] = "/services/nimbus/proxy/sortedproxylist.txt";
constexpr char kServedList[] = "10.8.0.1:3128- Over TLS<br />10.8.0.2:8080- Over TLS too<br />";

std::string FixtureFile(const std::string& name) { return WindowsPathFromUnix(std::string(TLS_DIR) + "/" + name); }

// The port of "tinyproxy" or of a server of tls-fixture; "0" when the fixture is not running.
std::string Port(const std::string& peer) {
  std::istringstream ports(ReadBytes(FixtureFile("ports")) + " tinyproxy " + ReadBytes(FixtureFile("tinyproxy/port")));
  std::string name, port;
  while (ports >> name >> port && name != peer) {}
  return name == peer ? port : "0";
}

std::string ListAddressOn(const std::string& server) { return "https://localhost:" + Port(server) + kListPath; }

// What a log of the fixture gains from the watch's making on. The peer logs on a thread of its own,
// possibly after the client has already given up on it: Shows() gives it a while.
struct LogWatch {
  std::string path;
  size_t start = ReadBytes(path).size();
  std::string Gained() const { return ReadBytes(path).substr(start); }
  bool Shows(const std::string& text) const {
    for (int tries = 0; tries < 50 && Gained().find(text) == std::string::npos; ++tries) Sleep(100);
    return Gained().find(text) != std::string::npos;
  }
};

class HttpsDownloadTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Port("good"), "0") << "the TLS fixture is not running";
    std::ofstream(FixtureFile("www/sortedproxylist.txt"), std::ios::binary) << kServedList;
    StartLanConnection();
    RequestUpdate();  // as the user's "Update list" does
  }

  InstallFolder m_folder{"https"};
};

TEST_F(HttpsDownloadTest, TrustedServersListFillsTheBoxAndThroughTheSystemProxyOnlyATunnelSeesIt) {
  const LogWatch proxyLog{FixtureFile("tinyproxy/log")};
  ASSERT_EQ(SetConnectionOptions(("127.0.0.1:" + Port("tinyproxy")).c_str()), SwitchResult::Done);
  EXPECT_EQ(LoadItems(ListAddressOn("good")), (Items{"10.8.0.1:3128- Over TLS", "10.8.0.2:8080- Over TLS too"}));

  const std::string seen = proxyLog.Gained();
  const size_t tunnel = seen.find("CONNECT localhost:" + Port("good"));
  ASSERT_NE(tunnel, std::string::npos) << seen;
  EXPECT_EQ(seen.find("sortedproxylist", tunnel), std::string::npos) << "the proxy saw the list's path:\n" << seen;
}

// So does a proxy in the middle that answers the tunnel with its own certificate.
TEST_F(HttpsDownloadTest, EachCertificateProblemFailsTheDownloadAndKeepsTheOldList) {
  for (const std::string peer : {"untrusted", "wrong-name", "expired", "revoked", "no-crl", "tamper"}) {
    SCOPED_TRACE(peer);
    ASSERT_TRUE(peer != "tamper" || SetConnectionOptions(("127.0.0.1:" + Port(peer)).c_str()) == SwitchResult::Done);
    const LogWatch seen{FixtureFile(peer + ".log")};
    testreg::DeleteValue(HKEY_CURRENT_USER, kSettingsKey, "ListRefreshFailedAt");  // no waiting after the last failure
    EXPECT_EQ(LoadItems(ListAddressOn(peer == "tamper" ? "good" : peer)), Items{"127.0.0.1:9- Nowhere"});
    EXPECT_TRUE(seen.Shows("handshake")) << "the peer was not reached";
  }
}
