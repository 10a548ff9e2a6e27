// The toolbar's persistent settings: each entry names its value, where it lives, its type and what
// a read answers while it is absent.
//
// "AppPath" is the installation's, under HKEY_LOCAL_MACHINE "Software\Quillmask". The others
// describe one user's connections and toolbar, so they are the user's: written under
// HKEY_CURRENT_USER "Software\Quillmask" and read from there first, with the machine's key still
// answering for a value the user has never had (as an earlier version stored them all there;
// "ListRefreshFailedAt" is newer and only ever the user's).
//
// The switch state ("Enabled", "ActiveIP") and the copy of the user's own connection settings
// decide where the user's traffic goes, so they live in the user's own key alone: a process below
// medium integrity may not write there (the broker does it for a protected band), and every window
// reads them from there. The low-integrity copy of the key, which any page that took over a
// protected tab may write, holds only hints ("LocalIP", "CaleC", "UpdateProxy",
// "ListRefreshFailedAt").
#pragma once

#include <windows.h>

#include <string>
#include <type_traits>

// Where a setting lives; the keys each scope reads and writes are decided by PlacesOf (user_keys.h).
enum class SettingScope {
  Machine,          // HKEY_LOCAL_MACHINE only
  User,             // the user's own keys only
  UserOverMachine,  // the user's own keys; HKEY_LOCAL_MACHINE answers for a value they lack
  // The user's own key alone, never its low-integrity copy: what only medium integrity may write.
  MediumUser,
  MediumUserOverMachine,  // the same; HKEY_LOCAL_MACHINE answers for a value it lacks
};

// One setting of type T: DWORD (REG_DWORD), ULONGLONG (REG_QWORD) or std::string (REG_SZ).
template <typename T>
struct Setting {
  using Value = T;
  const char* fullPath;  // "Key\Sub\Value", relative to each root of the scope
  SettingScope scope;
  std::conditional_t<std::is_same_v<T, std::string>, const char*, T> defaultValue;
};

namespace setting {
inline constexpr char kSettingsKey[] = "Software\\Quillmask";
// 1 while a proxy chosen in the toolbar is in use.
inline constexpr Setting<DWORD> kEnabled = {"Software\\Quillmask\\Enabled", SettingScope::MediumUserOverMachine, 0};
// The proxy address in use; empty when none.
inline constexpr Setting<std::string> kActiveIP = {"Software\\Quillmask\\ActiveIP",
                                                   SettingScope::MediumUserOverMachine, ""};
// The machine's own address followed by " [Local IP]".
inline constexpr Setting<std::string> kLocalIP = {"Software\\Quillmask\\LocalIP", SettingScope::UserOverMachine, ""};
// Non-zero asks the next proxy box to download the list.
inline constexpr Setting<DWORD> kUpdateProxy = {"Software\\Quillmask\\UpdateProxy", SettingScope::UserOverMachine, 0};
// The installation folder (written by the installer).
inline constexpr Setting<std::string> kAppPath = {"Software\\Quillmask\\AppPath", SettingScope::Machine, ""};
// The proxy list file's path as used, backslashes doubled.
inline constexpr Setting<std::string> kCaleC = {"Software\\Quillmask\\CaleC", SettingScope::UserOverMachine, ""};
// When the last list download failed (a UTC FILETIME); 0 after a success.
inline constexpr Setting<ULONGLONG> kListRefreshFailedAt = {"Software\\Quillmask\\ListRefreshFailedAt",
                                                            SettingScope::User, 0};
}  // namespace setting
