#include "proxylist/list_file.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "proxylist/list_text.h"

namespace {
class ScopedFile {
 public:
  explicit ScopedFile(HANDLE handle) : m_hFile(handle) {}
  ~ScopedFile() {
    if (m_hFile != INVALID_HANDLE_VALUE) CloseHandle(m_hFile);
  }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;
  HANDLE Get() const { return m_hFile; }
  bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }

 private:
  HANDLE m_hFile;
};

constexpr DWORD kWriteChunk = 1 << 20;

// Creates or replaces the file at `path` with `bytes`, on disk before it is closed.
bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  ScopedFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsOpen()) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kWriteChunk));
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return FlushFileBuffers(file.Get()) != FALSE;
}

}  // namespace

std::optional<ListFileStatus> ReadListFileStatus(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  return ListFileStatus{(static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                        (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                            data.ftLastWriteTime.dwLowDateTime};
}

std::optional<std::string> ReadListFile(const std::string& path, size_t maxBytes) {
  // Shares deletion so that a refresh may put a new list in its place meanwhile.
  ScopedFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.IsOpen()) return std::nullopt;
  std::string bytes;
  LARGE_INTEGER size;
  if (GetFileSizeEx(file.Get(), &size) && size.QuadPart >= 0) {
    bytes.reserve(static_cast<size_t>(std::min<unsigned long long>(static_cast<unsigned long long>(size.QuadPart), maxBytes)));
  }
  char chunk[16384];
  while (bytes.size() < maxBytes) {
    DWORD read = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<size_t>(sizeof(chunk), maxBytes - bytes.size()));
    if (!ReadFile(file.Get(), chunk, wanted, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    bytes.append(chunk, read);
  }
  return ExpandLineFeeds(TextModeRead(bytes));
}

bool WriteListFile(const std::string& path, const std::string& text) {
  // Written beside the list, then put in its place in one step. ReplaceFile lets readers that
  // share deletion keep reading the old file (a rename over it fails while any reader has it
  // open); a list not there yet is simply renamed into place. (Wine's ReplaceFile, refused by a
  // reader that does not share deletion, leaves an empty "rf*.tmp" of its own in the folder.)
  const std::string temporary =
      path + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetCurrentThreadId()) + ".tmp";
  const bool placed =
      WriteWholeFile(temporary, ExpandLineFeeds(text)) &&
      (ReplaceFileA(path.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) ||
       MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  if (!placed) DeleteFileA(temporary.c_str());
  return placed;
}

std::string UserListFolder() {
  char folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) return std::string();
  return std::string(folder) + "\\Quillmask\\";
}
