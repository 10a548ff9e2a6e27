#include "proxylist/list_text.h"

namespace {
constexpr std::string_view kSupportsPostMarker = "<supports POST>";
constexpr std::string_view kListFileName = "sortedproxylist.txt";

// Calls `onEntry` with each entry of `text` (without its terminator), in order.
template <typename OnEntry>
void ForEachEntry(std::string_view text, OnEntry onEntry) {
  for (size_t end = text.find(kEntryTerminator); end != std::string_view::npos; end = text.find(kEntryTerminator)) {
    onEntry(text.substr(0, end));
    text.remove_prefix(end + kEntryTerminator.size());
  }
}

}  // namespace

std::vector<std::string_view> CutEntries(std::string_view text) {
  std::vector<std::string_view> entries;
  ForEachEntry(text, [&entries](std::string_view entry) { entries.push_back(entry); });
  return entries;
}

std::string_view FirstEntries(std::string_view text, size_t maxItems) {
  size_t items = 0, end = 0;
  for (size_t at = text.find(kEntryTerminator); at != std::string_view::npos && items < maxItems;
       at = text.find(kEntryTerminator, end)) {
    if (text.substr(end, at - end) != kPlaceholderEntry) ++items;
    end = at + kEntryTerminator.size();
  }
  return text.substr(0, end);
}

std::string NormaliseListText(std::string_view received) {
  std::string result;
  result.reserve(received.size());
  ForEachEntry(received, [&result](std::string_view entry) {
    const size_t marker = entry.find(kSupportsPostMarker);
    if (marker != std::string_view::npos && marker > 0) entry = entry.substr(0, marker);
    result += entry;
    result += kEntryTerminator;
  });
  return result;
}

std::string ExpandLineFeeds(std::string_view text) {
  std::string result;
  result.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') result += '\r';
    result += c;
  }
  return result;
}

std::string TextModeRead(std::string_view fileBytes) {
  std::string result;
  result.reserve(fileBytes.size());
  for (size_t i = 0; i < fileBytes.size(); ++i) {
    if (fileBytes[i] == '\r' && i + 1 < fileBytes.size() && fileBytes[i + 1] == '\n') continue;
    result += fileBytes[i];
  }
  return result;
}

std::string BuildListPath(std::string_view appPath) {
  std::string path;
  for (size_t slash = appPath.find('\\'); slash != std::string_view::npos; slash = appPath.find('\\')) {
    path += appPath.substr(0, slash);
    path += "\\\\";
    appPath.remove_prefix(slash + 1);
  }
  path += kListFileName;
  return path;
}
