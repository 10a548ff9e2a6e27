// Where a user's own settings live. HKEY_CURRENT_USER "Software\Quillmask" in the ordinary case;
// a browser running at low integrity may not write there, only below "Software\AppDataLow", so
// that copy of the key takes its place; and where neither accepts a write (a key locked by policy),
// the value lives on in the process's memory, so the toolbar stays consistent for the rest of its
// life.
#pragma once

#include <windows.h>

#include <string>
#include <variant>
#include <vector>

#include "settings/settings_table.h"

struct RegistryKey {
  HKEY root;
  std::string path;
};

// Where one value lives: the keys it is read from, in order; the keys it is written to, the first
// that takes it holding it alone; and whether the process's memory answers first and keeps it where
// no key takes it.
struct ValuePlaces {
  std::vector<RegistryKey> read;
  std::vector<RegistryKey> write;
  bool inMemory;
};

// The places of a setting of `scope` in `keyPath`. A user's keys are HKEY_CURRENT_USER's `keyPath`
// and, unless the scope is a medium-integrity one, its low-integrity copy, the one this process may
// write first. Looked at afresh on every call; nothing is created to find out.
ValuePlaces PlacesOf(SettingScope scope, const std::string& keyPath);
// The places of a value of Windows' own: `root`'s `keyPath` alone.
ValuePlaces PlacesOf(HKEY root, const std::string& keyPath);

// Values that no user key accepted, by full path ("Key\Value"). Shared by all threads.
namespace memory_settings {
using Value = std::variant<DWORD, ULONGLONG, std::string>;
bool Find(const std::string& fullPath, DWORD& value);
bool Find(const std::string& fullPath, ULONGLONG& value);
bool Find(const std::string& fullPath, std::string& value);
void Store(const std::string& fullPath, Value value);
void Erase(const std::string& fullPath);
}  // namespace memory_settings

// Removes the user's key `keyPath` with everything below it, in every place it may live. True
// when it is gone from all of them.
bool DeleteUserKey(const std::string& keyPath);
