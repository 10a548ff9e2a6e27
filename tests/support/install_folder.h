// A fresh installation folder for one test process (its "AppPath" in a fresh machine settings key) with a
// list of one entry and none of the user's toolbar state, gone with the object; and files as tests see them.
#pragma once
#include <windows.h>
#include <shlobj.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include "settings/user_keys.h"
#include "tests/support/registry.h"

inline constexpr char kSettingsKey[] = "Software\\Quillmask";
inline constexpr char kLowIntegritySettingsKey[] = "Software\\AppDataLow\\Software\\Quillmask";
inline constexpr char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

inline std::string WindowsPathFromUnix(std::string path) {  // Wine shows the Unix file system as drive Z:
  std::replace(path.begin(), path.end(), '/', '\\');
  return "Z:" + path;
}
inline std::string ReadBytes(const std::string& path) {  // a whole file, byte for byte
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The user's own copy of the list, in the local application data folder.
inline std::string UserCopyFolder() {
  char folder[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
  return std::string(folder) + "\\Quillmask";
}
inline std::string UserListFile() { return UserCopyFolder() + "\\sortedproxylist.txt"; }

// Removes what the toolbar keeps for the user: the settings keys (the low-integrity copy and what the
// process keeps in memory too) and the list copy.
inline void ClearUserState() {
  EXPECT_TRUE(DeleteUserKey(kSettingsKey));
  DeleteFileA(UserListFile().c_str()), RemoveDirectoryA(UserCopyFolder().c_str());
}

// The user's LAN connection (none dials up) on the user's own proxy, or direct.
inline void StartLanConnection(const char* ownProxy = nullptr) {
  testreg::DeleteValue(HKEY_CURRENT_USER, kInternetSettings, "EnableAutodial");
  testreg::SetDword(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable", ownProxy != nullptr);
  if (ownProxy) testreg::SetString(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer", ownProxy);
}
// The proxy the user's LAN connection uses, as Wine stores it ("direct" unless "ProxyEnable" is 1).
inline std::string ProxyInUse() {
  if (testreg::GetDword(HKEY_CURRENT_USER, kInternetSettings, "ProxyEnable") != 1u) return "direct";
  return testreg::GetString(HKEY_CURRENT_USER, kInternetSettings, "ProxyServer").value_or("<none>");
}
// A value of the user's, a number in decimal ("" when missing); and "<ActiveIP> <Enabled>".
inline std::string Stored(const char* key, const char* name) {
  const auto dword = testreg::GetDword(HKEY_CURRENT_USER, key, name);
  return dword ? std::to_string(*dword) : testreg::GetString(HKEY_CURRENT_USER, key, name).value_or("");
}
inline std::string SwitchState() { return Stored(kSettingsKey, "ActiveIP") + " " + Stored(kSettingsKey, "Enabled"); }

class InstallFolder {
 public:
  explicit InstallFolder(const std::string& name) {  // `name` tells the tests' folders apart, e.g. "toolbar"
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    m_path = std::string(temp) + "quillmask-" + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(m_path.c_str(), nullptr);
    ClearUserState();
    testreg::DeleteKey(HKEY_LOCAL_MACHINE, kSettingsKey);
    testreg::SetString(HKEY_LOCAL_MACHINE, kSettingsKey, "AppPath", m_path);
    // A list in place: a toolbar made here never reaches for the build's list server (not the tests').
    WriteList("127.0.0.1:9- Nowhere<br />");
  }
  ~InstallFolder() {
    DeleteFileA(ListFile().c_str());
    RemoveDirectoryA(m_path.c_str());
    testreg::DeleteKey(HKEY_LOCAL_MACHINE, kSettingsKey);
    ClearUserState();
  }
  InstallFolder(const InstallFolder&) = delete;
  InstallFolder& operator=(const InstallFolder&) = delete;
  const std::string& Path() const { return m_path; }  // ends with a backslash
  std::string ListFile() const { return m_path + "sortedproxylist.txt"; }
  void WriteList(const std::string& bytes) const { std::ofstream(ListFile(), std::ios::binary) << bytes; }
  std::string ReadList() const { return ReadBytes(ListFile()); }

 private:
  std::string m_path;
};
