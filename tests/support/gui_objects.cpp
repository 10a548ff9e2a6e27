#include "tests/support/gui_objects.h"

#include <windows.h>
#include <winternl.h>

#include <cstddef>
#include <cstdint>

namespace {

// One entry of Wine's GDI handle table; a free entry has type 0.
struct GdiHandleEntry {
  std::uint64_t object;
  std::uint16_t processId;
  std::uint16_t count;
  std::uint16_t unique;
  std::uint8_t type;
  std::uint8_t flags;
  std::uint64_t userPointer;
};
constexpr int kGdiTableSize = 0x10000;
// Where the PEB keeps its pointer to the table.
constexpr std::size_t kGdiTableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;

long CountGdiTableEntries() {
  PROCESS_BASIC_INFORMATION process = {};
  if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process, sizeof(process), nullptr) != 0) {
    return -1;
  }
  const char* const peb = reinterpret_cast<const char*>(process.PebBaseAddress);
  const auto* const table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + kGdiTableOffset);
  if (!table) return -1;
  long used = 0;
  for (int i = 0; i < kGdiTableSize; ++i) used += table[i].type != 0;
  return used;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM counter) {
  ++*reinterpret_cast<long*>(counter);
  EnumChildWindows(window, CountWindow, counter);
  return TRUE;
}

long CountThreadWindows() {
  long windows = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

}  // namespace

GuiObjectCounts CountGuiObjects() {
  const long gdi = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
  const long user = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
  return {gdi ? gdi : CountGdiTableEntries(), user ? user : CountThreadWindows()};
}
