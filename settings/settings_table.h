// The toolbar's persistent settings: values under HKEY_LOCAL_MACHINE "Software\Quillmask".
//
// | value         | type      | default | meaning                                                         |
// |---------------|-----------|---------|-----------------------------------------------------------------|
// | "Enabled"     | REG_DWORD | 0       | 1 while a proxy chosen in the toolbar is in use                 |
// | "ActiveIP"    | REG_SZ    | ""      | the proxy address in use; empty when none                       |
// | "LocalIP"     | REG_SZ    | ""      | the machine's own address followed by " [Local IP]"             |
// | "UpdateProxy" | REG_DWORD | 0       | non-zero asks the next proxy box to download the list           |
// | "AppPath"     | REG_SZ    | ""      | the installation folder (written by the installer)              |
// | "CaleC"       | REG_SZ    | ""      | the proxy list file's path as built, backslashes doubled        |
//
// Every object built for them uses root HKEY_LOCAL_MACHINE, force false and the defaults above.
#pragma once

namespace setting {
inline constexpr char kEnabled[] = "Software\\Quillmask\\Enabled";
inline constexpr char kActiveIP[] = "Software\\Quillmask\\ActiveIP";
inline constexpr char kLocalIP[] = "Software\\Quillmask\\LocalIP";
inline constexpr char kUpdateProxy[] = "Software\\Quillmask\\UpdateProxy";
inline constexpr char kAppPath[] = "Software\\Quillmask\\AppPath";
inline constexpr char kCaleC[] = "Software\\Quillmask\\CaleC";
}  // namespace setting
