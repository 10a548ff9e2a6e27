// The proxy list file on disk. Read and written as a C runtime's text mode would (CR LF on disk,
// LF in memory), but byte-exact otherwise: NUL and Ctrl-Z bytes do not end the text.
#pragma once

#include <optional>
#include <string>

// What the file's status tells: its size, and when it was last written (a FILETIME).
struct ListFileStatus {
  unsigned long long size;
  unsigned long long written;
  bool operator==(const ListFileStatus& other) const { return size == other.size && written == other.written; }
  bool operator!=(const ListFileStatus& other) const { return !(*this == other); }
};

// The file's status, when it can be read.
std::optional<ListFileStatus> ReadListFileStatus(const std::string& path);

// The file's first `maxBytes` bytes (all of a smaller file) as the list reader hands them on: read
// in text mode (CR LF as LF), then each LF as CR LF. nullopt when it cannot be opened or read.
std::optional<std::string> ReadListFile(const std::string& path, size_t maxBytes);

// Creates or replaces the file with `text`, LF written as CR LF, in one step: readers see the old
// file or the new one, whole, and a reader holding the old one open may go on reading it. False
// when the new file could not be written completely or put in place; the old one is then
// untouched and nothing else is left behind (a temporary "<path>.<process>-<thread>.tmp" beside
// it stays only when the process ends half-way).
//
// A reader that does not share deletion (an earlier version's) makes a replacement fail.
bool WriteListFile(const std::string& path, const std::string& text);

// The folder of the user's own copy of the list ("Quillmask\" in the user's local application
// data folder, ending with a backslash), kept where the installation folder cannot be written;
// empty when the system names no such folder.
std::string UserListFolder();
