// LoadProxyList with a recording sink: the list file in a real folder, the settings in Wine's
// registry, downloads from a real server on loopback.
#include "proxylist/proxy_list_loader.h"

#include "proxylist/fetch_proxy_list.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/support/install_folder.h"
#include "tests/support/loopback.h"
#include "tests/support/recording_sink.h"
#include "tests/support/registry.h"

namespace {

using Items = std::deque<std::string>;

std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << bytes;
}

class ProxyListLoaderTest : public testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    m_folder = std::string(temp) + "quillmask-list-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(m_folder.c_str(), nullptr);
    DeleteFileA(ListFile().c_str());
    ClearUserState();
    testreg::DeleteKey(HKEY_LOCAL_MACHINE, kSettingsKey);
    testreg::SetString(HKEY_LOCAL_MACHINE, kSettingsKey, "AppPath", m_folder + "quillbar.dll");
  }
  void TearDown() override {
    DeleteFileA(ListFile().c_str());
    RemoveDirectoryA(m_folder.c_str());
    testreg::DeleteKey(HKEY_LOCAL_MACHINE, kSettingsKey);
    ClearUserState();
  }

  std::string ListFile() const { return m_folder + "sortedproxylist.txt"; }
  static void RequestUpdate() { testreg::SetDword(HKEY_CURRENT_USER, kSettingsKey, "UpdateProxy", 1); }
  static std::optional<DWORD> UpdateProxy() { return testreg::GetDword(HKEY_CURRENT_USER, kSettingsKey, "UpdateProxy"); }
  static std::optional<std::string> CaleC() { return testreg::GetString(HKEY_CURRENT_USER, kSettingsKey, "CaleC"); }

  static Items Load(const std::string& listAddress, const DownloadLimits& limits = kListDownloadLimits) {
    RecordingSink sink;
    LoadProxyList(sink, listAddress, limits);
    return sink.items;
  }

  std::string m_folder;
};

std::string DeadAddress() {
  return "http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/services/nimbus/proxy/sortedproxylist.txt";
}

std::string Doubled(std::string path) {
  for (size_t i = path.find('\\'); i != std::string::npos; i = path.find('\\', i + 2)) path.insert(i, 1, '\\');
  return path;
}

TEST_F(ProxyListLoaderTest, FillsFromTheFileInItsOrderWithoutDownloading) {
  WriteBytes(ListFile(), "1.2.3.4:80- US<br />\r\n5.6.7.8:3128- DE<br />unterminated rest");
  TestHttpServer server({"9.9.9.9:1- never<br />"});

  EXPECT_EQ(Load(server.ListAddress()), (Items{"1.2.3.4:80- US", "\r\n5.6.7.8:3128- DE"}));
  EXPECT_TRUE(server.RequestHeads().empty());
  EXPECT_EQ(CaleC(), Doubled(ListFile()));
  EXPECT_EQ(ReadBytes(ListFile()), "1.2.3.4:80- US<br />\r\n5.6.7.8:3128- DE<br />unterminated rest");
}

TEST_F(ProxyListLoaderTest, SkipsOnlyTheExactPlaceholder) {
  WriteBytes(ListFile(), "(null)<br /> (null)<br />(NULL)<br />(null) <br /><br />a:1- X<br />(null)<br />");
  EXPECT_EQ(Load(DeadAddress()), (Items{" (null)", "(NULL)", "(null) ", "", "a:1- X"}));
}

TEST_F(ProxyListLoaderTest, TextWithoutTerminatorGivesNoItems) {
  WriteBytes(ListFile(), "just some text\r\nwithout any terminator");
  EXPECT_EQ(Load(DeadAddress()), Items{});
}

TEST_F(ProxyListLoaderTest, HostileFilesAreTakenByteForByte) {
  std::string binary;
  for (int b = 1; b < 256; ++b) binary += (b == '\n' || b == '<') ? ' ' : static_cast<char>(b);
  const std::string withNul("a\0b:1- \x1a Z", 10);
  const std::string longEntry = "1.2.3.4:80- " + std::string(5000, 'x');
  std::string file = binary + "<br />" + withNul + "<br />" + longEntry + "<br />";
  for (int i = 0; i < 30000; ++i) file += "10.1." + std::to_string(i / 256) + "." + std::to_string(i % 256) + ":80- N<br />";
  WriteBytes(ListFile(), file);

  const Items items = Load(DeadAddress());
  ASSERT_EQ(items.size(), 30003u);
  EXPECT_EQ(items[0], binary);
  EXPECT_EQ(items[1], withNul);
  EXPECT_EQ(items[2], longEntry);
  EXPECT_EQ(items[3], "10.1.0.0:80- N");
  EXPECT_EQ(items[30002], "10.1.117.47:80- N");
}

TEST_F(ProxyListLoaderTest, RequestedUpdateDownloadsStoresAndClearsTheRequest) {
  WriteBytes(ListFile(), "old:1- Old<br />");
  RequestUpdate();
  TestHttpServer server({"1.2.3.4:80- US<supports POST> x<br />5.6.7.8:3128- DE<br />tail"});

  EXPECT_EQ(Load(server.ListAddress()), (Items{"1.2.3.4:80- US", "5.6.7.8:3128- DE"}));
  EXPECT_EQ(server.RequestHeads().size(), 1u);
  EXPECT_EQ(ReadBytes(ListFile()), "1.2.3.4:80- US<br />5.6.7.8:3128- DE<br />");
  EXPECT_EQ(UpdateProxy(), 0u);
}

TEST_F(ProxyListLoaderTest, MissingOrEmptyFileIsDownloadedWhateverTheRequest) {
  TestHttpServer server({"a:1- X<br />\nb:2- Y<br />\n"});
  EXPECT_EQ(Load(server.ListAddress()), (Items{"a:1- X", "\r\nb:2- Y"}));
  // In memory each LF became CR LF; the file is written in text mode.
  EXPECT_EQ(ReadBytes(ListFile()), "a:1- X<br />\r\r\nb:2- Y<br />");

  WriteBytes(ListFile(), "");
  EXPECT_EQ(Load(server.ListAddress()), (Items{"a:1- X", "\r\nb:2- Y"}));
  EXPECT_EQ(server.RequestHeads().size(), 2u);
  EXPECT_FALSE(UpdateProxy()) << "clearing an absent request writes nothing";
}

TEST_F(ProxyListLoaderTest, FailedDownloadKeepsTheOldListAndTheRequest) {
  WriteBytes(ListFile(), "old:1- Old<br />");
  RequestUpdate();
  EXPECT_EQ(Load(DeadAddress()), Items{"old:1- Old"});
  EXPECT_EQ(ReadBytes(ListFile()), "old:1- Old<br />");
  EXPECT_EQ(UpdateProxy(), 1u);

  TestHttpServer errorPage({"<html>Service Unavailable</html>", "503 Service Unavailable"});
  EXPECT_EQ(Load(errorPage.ListAddress()), Items{"old:1- Old"});
  EXPECT_EQ(ReadBytes(ListFile()), "old:1- Old<br />");

  TestHttpServer::Response silence;
  silence.pace = TestHttpServer::Response::Pace::Silent;
  TestHttpServer silent(silence);
  EXPECT_EQ(Load(silent.ListAddress(), {500, 1500}), Items{"old:1- Old"});
  EXPECT_EQ(ReadBytes(ListFile()), "old:1- Old<br />");
  EXPECT_EQ(UpdateProxy(), 1u);
}

TEST_F(ProxyListLoaderTest, FailedDownloadWithoutAListLeavesAnEmptyFile) {
  RequestUpdate();
  EXPECT_EQ(Load(DeadAddress()), Items{});
  EXPECT_EQ(ReadBytes(ListFile()), "");
  EXPECT_EQ(GetFileAttributesA(ListFile().c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(UpdateProxy(), 0u);
}

// A standard user: neither the installation folder nor the machine's settings key can be written.
TEST_F(ProxyListLoaderTest, UnwritableInstallationFolderKeepsTheListAsTheUsersCopy) {
  testreg::SetString(HKEY_LOCAL_MACHINE, kSettingsKey, "AppPath", m_folder + "missing folder\\quillbar.dll");
  RequestUpdate();
  TestHttpServer server({"a:1- X<br />b:2- Y<br />"});
  {
    testreg::ReadOnlyKey machine(HKEY_LOCAL_MACHINE, kSettingsKey);
    EXPECT_EQ(Load(server.ListAddress()), (Items{"a:1- X", "b:2- Y"}));
    EXPECT_EQ(ReadBytes(UserListFile()), "a:1- X<br />b:2- Y<br />");
    EXPECT_EQ(UpdateProxy(), 0u);
    EXPECT_EQ(CaleC(), Doubled(UserListFile()));
    // The next window reads the user's copy instead of downloading again.
    EXPECT_EQ(Load(server.ListAddress()), (Items{"a:1- X", "b:2- Y"}));
    EXPECT_EQ(server.RequestHeads().size(), 1u);
  }

  // Once the installation folder takes a refresh, its list is the one read: the copy goes.
  testreg::SetString(HKEY_LOCAL_MACHINE, kSettingsKey, "AppPath", m_folder);
  RequestUpdate();
  TestHttpServer fresher({"c:3- Z<br />"});
  EXPECT_EQ(Load(fresher.ListAddress()), Items{"c:3- Z"});
  EXPECT_EQ(ReadBytes(ListFile()), "c:3- Z<br />");
  EXPECT_EQ(GetFileAttributesA(UserListFile().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(CaleC(), Doubled(ListFile()));
}

TEST_F(ProxyListLoaderTest, ListNoFolderTakesStillFillsTheBoxAndKeepsTheRequest) {
  testreg::SetString(HKEY_LOCAL_MACHINE, kSettingsKey, "AppPath", m_folder + "missing folder\\quillbar.dll");
  const std::string userFolder = UserListFile().substr(0, UserListFile().rfind('\\'));
  WriteBytes(userFolder, "a file where the user's folder would be");
  RequestUpdate();
  TestHttpServer server({"a:1- X<br />b:2- Y<br />"});
  EXPECT_EQ(Load(server.ListAddress()), (Items{"a:1- X", "b:2- Y"}));
  EXPECT_EQ(UpdateProxy(), 1u);
  DeleteFileA(userFolder.c_str());
}

TEST_F(ProxyListLoaderTest, AppPathFormsLocateTheSameFile) {
  WriteBytes(ListFile(), "a:1- X<br />");
  testreg::SetString(HKEY_LOCAL_MACHINE, kSettingsKey, "AppPath", m_folder);
  EXPECT_EQ(Load(DeadAddress()), Items{"a:1- X"});
  EXPECT_EQ(CaleC(), Doubled(ListFile()));

  // Without a backslash: the bare file name, in the current folder.
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(m_folder.c_str()));
  testreg::SetString(HKEY_LOCAL_MACHINE, kSettingsKey, "AppPath", "quillbar.dll");
  EXPECT_EQ(Load(DeadAddress()), Items{"a:1- X"});
  EXPECT_EQ(CaleC(), "sortedproxylist.txt");
  SetCurrentDirectoryA(previous);
}

}  // namespace
