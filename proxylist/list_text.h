// The proxy list's text: cutting it into entries, normalising a downloaded body, the line-break
// conventions of the list file, and the file's path. Pure text logic, free of Win32, so that it
// can be tested and fuzzed natively.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Ends every entry, in the file and in a downloaded body.
inline constexpr std::string_view kEntryTerminator = "<br />";
// An entry with exactly this text stands for no proxy and gives no item.
inline constexpr std::string_view kPlaceholderEntry = "(null)";

// The entries of a list text, in order: the text before each terminator. Text after the last
// terminator is not an entry. The views point into `text`.
std::vector<std::string_view> CutEntries(std::string_view text);

// The start of `text` that holds its first `maxItems` entries giving items ("(null)" entries give
// none and do not count), up to and including the last one's terminator: a list within that many
// entries, and nothing after its last terminator.
std::string_view FirstEntries(std::string_view text, size_t maxItems);

// A downloaded body as the list file holds it: its entries, each cut at a "<supports POST>"
// marker that does not open it, each followed by the terminator, nothing after the last.
std::string NormaliseListText(std::string_view received);

// Every LF becomes CR LF; every other byte is kept (so CR LF becomes CR CR LF). This is also what
// writing in a C runtime's text mode does to the bytes.
std::string ExpandLineFeeds(std::string_view text);

// What reading in a C runtime's text mode does to the bytes: CR LF on disk reads as LF.
std::string TextModeRead(std::string_view fileBytes);

// The list file's path from the installation folder: the folder part of `appPath` (up to its last
// backslash) with every backslash doubled, then "sortedproxylist.txt". Without a backslash, the
// bare file name.
std::string BuildListPath(std::string_view appPath);
