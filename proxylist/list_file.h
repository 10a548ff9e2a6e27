// The proxy list file on disk. Read and written as a C runtime's text mode would (CR LF on disk,
// LF in memory), but byte-exact otherwise: NUL and Ctrl-Z bytes do not end the text.
#pragma once

#include <optional>
#include <string>

// The file's size when its status can be read.
std::optional<unsigned long long> ListFileSize(const std::string& path);

// The whole file as the list reader hands it on: read in text mode (CR LF as LF), then each LF
// as CR LF. nullopt when it cannot be opened or read.
std::optional<std::string> ReadListFile(const std::string& path);

// Creates or replaces the file with `text`, LF written as CR LF. False when it cannot be created or
// written completely.
bool WriteListFile(const std::string& path, const std::string& text);

// The folder of the user's own copy of the list ("Quillmask\" in the user's local application
// data folder, ending with a backslash), kept where the installation folder cannot be written;
// empty when the system names no such folder.
std::string UserListFolder();
