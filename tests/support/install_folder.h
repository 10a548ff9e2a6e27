// A fresh installation folder for one test process, named by "AppPath" in a fresh settings key
// ("Software\Quillmask"); the folder, its list file and the key go when the object does.
#pragma once

#include <string>

class InstallFolder {
 public:
  // `name` tells the tests' folders apart, e.g. "toolbar".
  explicit InstallFolder(const std::string& name);
  ~InstallFolder();
  InstallFolder(const InstallFolder&) = delete;
  InstallFolder& operator=(const InstallFolder&) = delete;

  // The folder, ending with a backslash.
  const std::string& Path() const { return m_path; }
  std::string ListFile() const { return m_path + "sortedproxylist.txt"; }
  // Writes the list file byte for byte.
  void WriteList(const std::string& bytes) const;

 private:
  std::string m_path;
};
