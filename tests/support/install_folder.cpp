#include "tests/support/install_folder.h"

#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "settings/user_keys.h"
#include "tests/support/registry.h"

InstallFolder::InstallFolder(const std::string& name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  m_path = std::string(temp) + "quillmask-" + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(m_path.c_str(), nullptr);
  ClearUserState();
  testreg::DeleteKey(HKEY_LOCAL_MACHINE, kSettingsKey);
  testreg::SetString(HKEY_LOCAL_MACHINE, kSettingsKey, "AppPath", m_path);
  // A list in place: a toolbar made here never reaches for the build's list server, which the
  // tests do not own.
  WriteList("127.0.0.1:9- Nowhere<br />");
}

InstallFolder::~InstallFolder() {
  DeleteFileA(ListFile().c_str());
  RemoveDirectoryA(m_path.c_str());
  testreg::DeleteKey(HKEY_LOCAL_MACHINE, kSettingsKey);
  ClearUserState();
}

void InstallFolder::WriteList(const std::string& bytes) const { std::ofstream(ListFile(), std::ios::binary) << bytes; }

std::string InstallFolder::ReadList() const { return ReadBytes(ListFile()); }

std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string UserListFile() {
  char folder[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
  return std::string(folder) + "\\Quillmask\\sortedproxylist.txt";
}

void ClearUserState() {
  EXPECT_TRUE(DeleteUserKey(kSettingsKey));  // with what the process keeps in memory
  const std::string userList = UserListFile();
  DeleteFileA(userList.c_str());
  RemoveDirectoryA(userList.substr(0, userList.rfind('\\')).c_str());
}

std::string ProxyInUse() {
  if (testreg::GetDword(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable") != 1u) return "direct";
  return testreg::GetString(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer").value_or("<none>");
}
