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

// The keys under HKEY_CURRENT_USER that may hold the user's values of `keyPath`: the key itself
// and its low-integrity copy, the one this process may write first (the key itself when it may
// write neither). Nothing is created to find out.
std::vector<std::string> UserKeyPaths(const std::string& keyPath);

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
