// A fresh installation folder for one test process, named by "AppPath" in a fresh machine
// settings key ("Software\Quillmask"), holding a list of one entry, with none of the user's toolbar
// state; the folder, its list file, the keys and the user's state go when the object does.
#pragma once

#include <string>

inline constexpr char kSettingsKey[] = "Software\\Quillmask";
inline constexpr char kLowIntegritySettingsKey[] = "Software\\AppDataLow\\Software\\Quillmask";
inline constexpr char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

class InstallFolder {
 public:
  explicit InstallFolder(const std::string& name);  // `name` tells the tests' folders apart, e.g. "toolbar"
  ~InstallFolder();
  InstallFolder(const InstallFolder&) = delete;
  InstallFolder& operator=(const InstallFolder&) = delete;
  const std::string& Path() const { return m_path; }  // ends with a backslash
  std::string ListFile() const { return m_path + "sortedproxylist.txt"; }
  void WriteList(const std::string& bytes) const;  // byte for byte
  std::string ReadList() const;

 private:
  std::string m_path;
};

std::string ReadBytes(const std::string& path);  // a whole file, byte for byte
// The user's own copy of the list (in the local application data folder).
std::string UserListFile();
// Removes what the toolbar keeps for the user: the user's settings keys (also the low-integrity
// copy) and the user's list copy.
void ClearUserState();
// The proxy the user's LAN connection uses, as Wine stores it: its "ProxyServer" while "ProxyEnable"
// is 1, else "direct".
std::string ProxyInUse();
