#include "tests/support/gui_objects.h"

#include <windows.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// One entry of Wine's GDI handle table; a free entry has type 0.
struct GdiHandleEntry {
  std::uint64_t object;
  std::uint16_t processId, count, unique;
  std::uint8_t type, flags;
  std::uint64_t userPointer;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM counter) {
  ++*reinterpret_cast<long*>(counter);
  EnumChildWindows(window, CountWindow, counter);
  return TRUE;
}

// GetGuiResources where it answers. Wine's is a stub that answers 0: there GDI objects are the used
// entries of the GDI handle table of 0x10000 entries (the PEB's GdiSharedHandleTable, Wine's layout),
// and USER objects the windows of the calling thread, children included.
std::pair<long, long> CountGuiObjects() {
  long gdi = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
  long user = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
  if (!user) EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&user));
  PROCESS_BASIC_INFORMATION process = {};
  if (!gdi && !NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process, sizeof(process), nullptr)) {
    const char* const peb = reinterpret_cast<const char*>(process.PebBaseAddress);
    const auto* const table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + (sizeof(void*) == 8 ? 0xF8 : 0x94));
    for (int i = 0; table && i < 0x10000; ++i) gdi += table[i].type != 0;
  }
  return {gdi, user};
}

}  // namespace

void ExpectNoGuiObjectsLeft(int warmUp, int cycles, const std::function<void(int)>& cycle) {
  for (int i = 0; i < warmUp; ++i) cycle(i);
  const auto [gdi, user] = CountGuiObjects();
  for (int i = 0; i < cycles; ++i) cycle(i);
  EXPECT_GT(gdi, 0);
  EXPECT_EQ(CountGuiObjects().first, gdi) << "GDI objects";
  EXPECT_EQ(CountGuiObjects().second, user) << "USER objects";
}
