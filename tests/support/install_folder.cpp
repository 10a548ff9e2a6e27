#include "tests/support/install_folder.h"

#include <windows.h>

#include <fstream>

#include "tests/support/registry.h"

namespace {
constexpr char kSettingsKey[] = "Software\\Quillmask";
}

InstallFolder::InstallFolder(const std::string& name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  m_path = std::string(temp) + "quillmask-" + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(m_path.c_str(), nullptr);
  DeleteFileA(ListFile().c_str());
  testreg::DeleteKey(HKEY_LOCAL_MACHINE, kSettingsKey);
  testreg::SetString(HKEY_LOCAL_MACHINE, kSettingsKey, "AppPath", m_path);
}

InstallFolder::~InstallFolder() {
  DeleteFileA(ListFile().c_str());
  RemoveDirectoryA(m_path.c_str());
  testreg::DeleteKey(HKEY_LOCAL_MACHINE, kSettingsKey);
}

void InstallFolder::WriteList(const std::string& bytes) const {
  std::ofstream(ListFile(), std::ios::binary | std::ios::trunc) << bytes;
}
