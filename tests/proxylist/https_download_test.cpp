// The list over HTTPS from real TLS peers on loopback (support/tls-fixture; the prefix trusts its
// test authority): a good server's list fills the box, also through a real HTTP proxy, which sees
// only a tunnel; each certificate problem, and a proxy in the middle, fails the download and keeps
// the old list.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "connection/connection_proxy.h"
#include "proxylist/fetch_proxy_list.h"
#include "proxylist/proxy_list_loader.h"
#include "tests/support/install_folder.h"
#include "tests/support/recording_sink.h"
#include "tests/support/registry.h"
#include "tests/support/wine_paths.h"

namespace {

constexpr char kListPath[] = "/services/nimbus/proxy/sortedproxylist.txt";
constexpr char kServedList[] = "10.8.0.1:3128- Over TLS<br />10.8.0.2:8080- Over TLS too<br />";
constexpr char kOldList[] = "old:1- Old<br />";
using Items = std::deque<std::string>;

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string FixtureFile(const std::string& name) { return WindowsPathFromUnix(std::string(TLS_DIR) + "/" + name); }

// The port of one of the fixture's peers: "tinyproxy" or a server of tls-fixture; "0" when the
// fixture is not running.
std::string Port(const std::string& peer) {
  std::istringstream ports(ReadFile(FixtureFile(peer == "tinyproxy" ? "tinyproxy/port" : "ports")));
  std::string name, port;
  if (peer == "tinyproxy") return ports >> port ? port : "0";
  while (ports >> name >> port) {
    if (name == peer) return port;
  }
  return "0";
}

std::string ListAddressOn(const std::string& server) { return "https://localhost:" + Port(server) + kListPath; }

// What a log gains between the watch's making and a look.
class LogWatch {
 public:
  explicit LogWatch(const std::string& name) : m_path(FixtureFile(name)), m_start(ReadFile(m_path).size()) {}
  std::string Gained() const {
    const std::string all = ReadFile(m_path);
    return all.size() > m_start ? all.substr(m_start) : std::string();
  }
  // The peer logs on a thread of its own, possibly after the client has already given up on it.
  std::string GainedOnceItShows(const std::string& text) const {
    for (int tries = 0; tries < 50 && Gained().find(text) == std::string::npos; ++tries) Sleep(100);
    return Gained();
  }

 private:
  std::string m_path;
  size_t m_start;
};

class HttpsDownloadTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Port("good"), "0") << "the TLS fixture is not running";
    std::ofstream(FixtureFile("www/sortedproxylist.txt"), std::ios::binary) << kServedList;
    testreg::DeleteValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                         "EnableAutodial");
  }
  void TearDown() override { DisableConnectionProxy(); }

  // Fills a box from `address` as a user's "Update list" does, the old list file in place.
  Items LoadOverOldList(const std::string& address) {
    m_folder.WriteList(kOldList);
    testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "UpdateProxy", 1);
    RecordingSink sink;
    LoadProxyList(sink, address);
    return sink.items;
  }
  std::string ListFile() const { return ReadFile(m_folder.ListFile()); }
  static std::optional<DWORD> UpdateProxy() { return testreg::GetDword(HKEY_CURRENT_USER, kSettingsKey, "UpdateProxy"); }

  InstallFolder m_folder{"https"};
};

TEST_F(HttpsDownloadTest, TrustedServersListArrivesAndFillsTheBox) {
  const LogWatch served("good.log");
  EXPECT_EQ(LoadOverOldList(ListAddressOn("good")), (Items{"10.8.0.1:3128- Over TLS", "10.8.0.2:8080- Over TLS too"}));
  EXPECT_EQ(ListFile(), kServedList);
  EXPECT_EQ(UpdateProxy(), 0u);
  EXPECT_NE(served.Gained().find(std::string("GET ") + kListPath), std::string::npos) << served.Gained();
}

TEST_F(HttpsDownloadTest, ThroughTheSystemProxyTheListTravelsInATunnel) {
  const LogWatch proxyLog("tinyproxy/log"), served("good.log");
  ASSERT_TRUE(SetConnectionOptions(("127.0.0.1:" + Port("tinyproxy")).c_str()));
  EXPECT_EQ(FetchProxyList(ListAddressOn("good")), kServedList);

  const std::string seen = proxyLog.Gained();
  EXPECT_NE(seen.find("CONNECT localhost:" + Port("good")), std::string::npos) << seen;
  EXPECT_EQ(seen.find("sortedproxylist"), std::string::npos) << "the proxy saw the list's path:\n" << seen;
  EXPECT_NE(served.Gained().find(std::string("GET ") + kListPath), std::string::npos);
}

TEST_F(HttpsDownloadTest, EachCertificateProblemFailsTheDownloadAndKeepsTheOldList) {
  for (const char* server : {"untrusted", "wrong-name", "expired", "revoked", "no-crl"}) {
    SCOPED_TRACE(server);
    const LogWatch served(std::string(server) + ".log");
    EXPECT_EQ(LoadOverOldList(ListAddressOn(server)), Items{"old:1- Old"});
    EXPECT_EQ(ListFile(), kOldList);
    EXPECT_EQ(UpdateProxy(), 1u);
    EXPECT_NE(served.GainedOnceItShows("handshake").find("handshake"), std::string::npos) << "the server was not reached";
  }
}

TEST_F(HttpsDownloadTest, AProxyInTheMiddleWithItsOwnCertificateIsRefused) {
  const LogWatch proxyLog("tamper.log"), served("good.log");
  ASSERT_TRUE(SetConnectionOptions(("127.0.0.1:" + Port("tamper")).c_str()));
  EXPECT_EQ(LoadOverOldList(ListAddressOn("good")), Items{"old:1- Old"});
  EXPECT_EQ(ListFile(), kOldList);

  const std::string seen = proxyLog.GainedOnceItShows("\nhandshake");
  EXPECT_NE(seen.find("CONNECT localhost:" + Port("good")), std::string::npos) << seen;
  EXPECT_NE(seen.find("\nhandshake"), std::string::npos) << seen;
  EXPECT_EQ(seen.find("GET "), std::string::npos) << "a request went through the tampering tunnel:\n" << seen;
  EXPECT_EQ(served.Gained(), "");
}

}  // namespace
