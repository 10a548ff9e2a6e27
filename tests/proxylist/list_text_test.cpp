// The list text: entries, the first entries within a limit, a downloaded body normalised, the list
// file's line breaks and path, and the list server's address taken apart.
#include "proxylist/list_text.h"
#include <gtest/gtest.h>
#include "proxylist/list_address.h"

using Entries = std::vector<std::string_view>;

TEST(CutEntriesTest, GivesTheTextBeforeEachExactTerminatorEmptyTooAndDropsWhatFollowsTheLast) {
  EXPECT_EQ(CutEntries("a<br /><br />\r\nb<br /<br />c<BR />"), (Entries{"a", "", "\r\nb<br /"}));
  EXPECT_EQ(CutEntries("no terminator"), Entries{});
}

TEST(FirstEntriesTest, CountsOnlyEntriesGivingItemsAndEndsAtTheLastOnesTerminator) {
  EXPECT_EQ(FirstEntries("a<br />(null)<br />b<br />c<br />", 2), "a<br />(null)<br />b<br />");
  EXPECT_EQ(FirstEntries("a<br />(null)<br />rest", 2), "a<br />(null)<br />");
  EXPECT_EQ(FirstEntries("a<br />b<br />", 0), "");
}

TEST(NormaliseListTextTest, CutsEachEntryAtAMarkerThatDoesNotOpenItAndKeepsNothingAfterTheLast) {
  EXPECT_EQ(NormaliseListText("1.2.3.4:80- US<supports POST> yes<br /><supports POST>5.6.7.8:80- DE<br />"
                              "a<supports POST>b<supports POST>c<br />lost"),
            "1.2.3.4:80- US<br /><supports POST>5.6.7.8:80- DE<br />a<br />");
  EXPECT_EQ(NormaliseListText("<html>Not Found</html>"), "");
}

TEST(ListFileTextTest, WritingExpandsEveryLineFeedAndReadingFoldsOnlyCarriageReturnLineFeed) {
  EXPECT_EQ(ExpandLineFeeds(std::string_view("a\nb\r\nc\r\0\n", 9)), std::string("a\r\nb\r\r\nc\r\0\r\n", 12));
  EXPECT_EQ(TextModeRead("a\r\nb\nc\r\r\nd\r"), "a\nb\nc\r\nd\r");
}

TEST(BuildListPathTest, DoublesTheFoldersBackslashesAndNamesTheListFile) {
  EXPECT_EQ(BuildListPath("C:\\Programs\\\\Q\\tool.exe"), "C:\\\\Programs\\\\\\\\Q\\\\sortedproxylist.txt");
  EXPECT_EQ(BuildListPath("no backslash"), "sortedproxylist.txt");
}

TEST(ParseListAddressTest, SchemeDecidesTlsAndTheDefaultPort) {
  const struct { const char* address; bool secure; const char* host; int port; const char* path; } cases[] = {
      {"http://127.0.0.1:8470/services/x.txt", false, "127.0.0.1", 8470, "/services/x.txt"},
      {"https://lists.example/a?b=c", true, "lists.example", 443, "/a?b=c"},
      {"HTTPS://Lists.Example", true, "Lists.Example", 443, "/"}, {"Http://h:65535", false, "h", 65535, "/"}};
  for (const auto& c : cases) {
    const std::optional<ListAddress> parsed = ParseListAddress(c.address);
    ASSERT_TRUE(parsed) << c.address;
    EXPECT_EQ(std::tie(parsed->secure, parsed->host, parsed->port, parsed->path),
              std::tie(c.secure, c.host, c.port, c.path)) << c.address;
  }
}

TEST(ParseListAddressTest, AnotherSchemeNoHostUserInformationOrABadPortIsNoAddress) {
  for (const char* address : {"", "ftp://h/x", "https:/h/x", "httpss://h/x", "//h/x", "http://", "http://:80/x",
                              "http://h:/x", "http://h:0/x", "http://h:65536/x", "http://h:8o/x", "http://h:-1/x",
                              "http://user@h/x", "http://user:pw@h/x", "https://h x/"}) {
    EXPECT_FALSE(ParseListAddress(address)) << address;
  }
}
