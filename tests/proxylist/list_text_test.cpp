// The pure text logic of the proxy list.
#include "proxylist/list_text.h"

#include <gtest/gtest.h>

namespace {

using Entries = std::vector<std::string_view>;

TEST(CutEntriesTest, TakesTheTextBeforeEachTerminatorAndDropsTheRest) {
  EXPECT_EQ(CutEntries("1.2.3.4:80- US<br />5.6.7.8:3128- DE<br />trailing text"),
            (Entries{"1.2.3.4:80- US", "5.6.7.8:3128- DE"}));
  EXPECT_EQ(CutEntries("no terminator at all"), Entries{});
  EXPECT_EQ(CutEntries(""), Entries{});
  EXPECT_EQ(CutEntries("a<br /><br />b<br />"), (Entries{"a", "", "b"}));
  EXPECT_EQ(CutEntries("a<br />\r\nb<br />\r\n"), (Entries{"a", "\r\nb"}));
  EXPECT_EQ(CutEntries("a<br /<br />"), Entries{"a<br /"});
  EXPECT_EQ(CutEntries("a<BR />"), Entries{});
}

TEST(NormaliseListTextTest, CutsTheMarkerUnlessItOpensTheEntry) {
  EXPECT_EQ(NormaliseListText("1.2.3.4:80- US<supports POST> yes<br />"
                              "<supports POST>5.6.7.8:80- DE<br />"
                              "9.9.9.9:8080- FR<br />"
                              "lost without terminator"),
            "1.2.3.4:80- US<br /><supports POST>5.6.7.8:80- DE<br />9.9.9.9:8080- FR<br />");
  EXPECT_EQ(NormaliseListText("a<supports POST>b<supports POST>c<br />"), "a<br />");
  EXPECT_EQ(NormaliseListText("<html>Not Found</html>"), "");
  EXPECT_EQ(NormaliseListText(""), "");
}

TEST(LineBreakTest, ExpandsLineFeedsAndReadsTextModeFiles) {
  EXPECT_EQ(ExpandLineFeeds("a\nb\r\nc\r"), "a\r\nb\r\r\nc\r");
  EXPECT_EQ(ExpandLineFeeds(std::string_view("\0\n", 2)), std::string("\0\r\n", 3));
  EXPECT_EQ(TextModeRead("a\r\nb\nc\r\r\nd\r"), "a\nb\nc\r\nd\r");
  EXPECT_EQ(TextModeRead(ExpandLineFeeds("x\ny\n")), "x\ny\n");
}

TEST(BuildListPathTest, DoublesTheFolderBackslashesAndDropsTheFileName) {
  EXPECT_EQ(BuildListPath("C:\\Programs\\Q\\"), "C:\\\\Programs\\\\Q\\\\sortedproxylist.txt");
  EXPECT_EQ(BuildListPath("C:\\Programs\\Q\\tool.exe"), "C:\\\\Programs\\\\Q\\\\sortedproxylist.txt");
  EXPECT_EQ(BuildListPath("C:\\Programs\\\\Q\\"), "C:\\\\Programs\\\\\\\\Q\\\\sortedproxylist.txt");
  EXPECT_EQ(BuildListPath("no backslash"), "sortedproxylist.txt");
  EXPECT_EQ(BuildListPath(""), "sortedproxylist.txt");
}

}  // namespace
