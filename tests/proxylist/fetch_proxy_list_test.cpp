// FetchProxyList against a real HTTP server on loopback.
#include "proxylist/fetch_proxy_list.h"

#include <gtest/gtest.h>

#include "proxylist/list_text.h"
#include "tests/support/loopback.h"

namespace {

std::string Fetch(TestHttpServer::Response response) {
  TestHttpServer server(std::move(response));
  return FetchProxyList(server.ListAddress());
}

struct BodyCase {
  const char* name;
  std::string status;
  std::string body;
  std::string expected;
};

TEST(FetchProxyListTest, NormalisesWhateverBodyTheServerSends) {
  const BodyCase cases[] = {
      {"plain entries", "200 OK", "1.2.3.4:80- US<br />5.6.7.8:3128- DE<br />", "1.2.3.4:80- US<br />5.6.7.8:3128- DE<br />"},
      {"marker", "200 OK", "1.2.3.4:80- US<supports POST> extra<br />5.6.7.8:3128- DE<br />",
       "1.2.3.4:80- US<br />5.6.7.8:3128- DE<br />"},
      {"marker opening an entry", "200 OK", "<supports POST>1.2.3.4:80- US<br />",
       "<supports POST>1.2.3.4:80- US<br />"},
      {"last entry without terminator", "200 OK", "a:1- X<br />b:2- Y", "a:1- X<br />"},
      // Each LF arrives as CR LF, so a CR LF received becomes CR CR LF.
      {"CR LF body", "200 OK", "a:1- X<br />\r\nb:2- Y<br />\r\n", "a:1- X<br />\r\r\nb:2- Y<br />"},
      {"LF body", "200 OK", "a:1- X<br />\nb:2- Y<br />\n", "a:1- X<br />\r\nb:2- Y<br />"},
      {"error page", "404 Not Found", "<html><body>Not Found</body></html>", ""},
      {"error page with terminators", "500 Internal Server Error", "oops<br />", "oops<br />"},
      {"empty body", "200 OK", "", ""},
  };
  for (const BodyCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Fetch({c.body, c.status}), c.expected);
  }
}

TEST(FetchProxyListTest, SendsAPlainGetOfTheListPath) {
  TestHttpServer server({"a:1- X<br />"});
  ASSERT_EQ(FetchProxyList(server.ListAddress()), "a:1- X<br />");
  const std::vector<std::string> heads = server.RequestHeads();
  ASSERT_EQ(heads.size(), 1u);
  EXPECT_EQ(heads[0].substr(0, heads[0].find("\r\n")), "GET /services/nimbus/proxy/sortedproxylist.txt HTTP/1.1");
  EXPECT_NE(heads[0].find("\r\nHost: 127.0.0.1:" + std::to_string(server.Port())), std::string::npos) << heads[0];
}

TEST(FetchProxyListTest, LargeBodiesAndLongLinesArriveWhole) {
  std::string manyEntries;
  for (int i = 0; i < 150000; ++i) manyEntries += "10.0." + std::to_string(i % 256) + ".1:8080- Somewhere far<br />";
  ASSERT_GT(manyEntries.size(), 4u << 20);
  EXPECT_EQ(Fetch({manyEntries}), manyEntries);

  const std::string longEntry = "1.2.3.4:80- " + std::string(10000, 'L') + "<br />";
  const std::string longLine = longEntry + longEntry + "\n" + longEntry;
  EXPECT_EQ(Fetch({longLine}), longEntry + longEntry + "\r\n" + longEntry);
}

TEST(FetchProxyListTest, ServerClosingMidBodyGivesNothingOrWholeEntriesOnly) {
  std::string body;
  for (int i = 0; i < 2000; ++i) body += "10.0.0." + std::to_string(i % 256) + ":80- Entry " + std::to_string(i) + "<br />";
  TestHttpServer::Response response{body};
  response.closeMidBody = true;
  const std::string result = Fetch(response);
  EXPECT_EQ(body.compare(0, result.size(), result), 0) << "a prefix of the list";
  EXPECT_TRUE(result.empty() || (result.size() >= kEntryTerminator.size() &&
                                  result.compare(result.size() - kEntryTerminator.size(), std::string::npos,
                                                 kEntryTerminator) == 0));
  EXPECT_LT(result.size(), body.size());
}

TEST(FetchProxyListTest, UnreachableServerOrBadAddressGivesTheEmptyText) {
  EXPECT_EQ(FetchProxyList("http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) +
                           "/services/nimbus/proxy/sortedproxylist.txt"),
            "");
  EXPECT_EQ(FetchProxyList("not an address"), "");
  EXPECT_EQ(FetchProxyList(""), "");
}

TEST(FetchProxyListTest, SilentOrTricklingServerFailsTheDownloadWithinTheBound) {
  for (const auto pace : {TestHttpServer::Response::Pace::Silent, TestHttpServer::Response::Pace::Trickle}) {
    SCOPED_TRACE(pace == TestHttpServer::Response::Pace::Silent ? "silent" : "trickling");
    TestHttpServer::Response response{"a:1- X<br />"};
    response.pace = pace;
    TestHttpServer server(response);
    const DWORD start = GetTickCount();
    EXPECT_EQ(FetchProxyList(server.ListAddress(), {2000, 4000}), "");
    // Not a speed check: without the bound this call would not return while the server dawdles.
    EXPECT_LT(GetTickCount() - start, 20000u);
  }
}

}  // namespace
