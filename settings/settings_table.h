// The toolbar's persistent settings.
//
// | value                 | type      | default | meaning                                                                |
// |-----------------------|-----------|---------|------------------------------------------------------------------------|
// | "Enabled"             | REG_DWORD | 0       | 1 while a proxy chosen in the toolbar is in use                        |
// | "ActiveIP"            | REG_SZ    | ""      | the proxy address in use; empty when none                              |
// | "LocalIP"             | REG_SZ    | ""      | the machine's own address followed by " [Local IP]"                    |
// | "UpdateProxy"         | REG_DWORD | 0       | non-zero asks the next proxy box to download the list                  |
// | "AppPath"             | REG_SZ    | ""      | the installation folder (written by the installer)                     |
// | "CaleC"               | REG_SZ    | ""      | the proxy list file's path as used, backslashes doubled                |
// | "ListRefreshFailedAt" | REG_QWORD | 0       | when the last list download failed (a UTC FILETIME); 0 after a success |
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

// Where a setting lives.
enum class SettingScope {
  Machine,          // HKEY_LOCAL_MACHINE only
  User,             // the user's own keys only (see RegistryValue)
  UserOverMachine,  // the user's own keys; HKEY_LOCAL_MACHINE answers for a value they lack
  // The user's own key alone, never its low-integrity copy: what only medium integrity may write.
  MediumUser,
  MediumUserOverMachine,  // the same; HKEY_LOCAL_MACHINE answers for a value it lacks
};

struct SettingName {
  const char* fullPath;  // "Key\Sub\Value", relative to each root of the scope
  SettingScope scope;
};

namespace setting {
inline constexpr char kSettingsKey[] = "Software\\Quillmask";
inline constexpr SettingName kEnabled = {"Software\\Quillmask\\Enabled", SettingScope::MediumUserOverMachine};
inline constexpr SettingName kActiveIP = {"Software\\Quillmask\\ActiveIP", SettingScope::MediumUserOverMachine};
inline constexpr SettingName kLocalIP = {"Software\\Quillmask\\LocalIP", SettingScope::UserOverMachine};
inline constexpr SettingName kUpdateProxy = {"Software\\Quillmask\\UpdateProxy", SettingScope::UserOverMachine};
inline constexpr SettingName kAppPath = {"Software\\Quillmask\\AppPath", SettingScope::Machine};
inline constexpr SettingName kCaleC = {"Software\\Quillmask\\CaleC", SettingScope::UserOverMachine};
inline constexpr SettingName kListRefreshFailedAt = {"Software\\Quillmask\\ListRefreshFailedAt", SettingScope::User};
}  // namespace setting
