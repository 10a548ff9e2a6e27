// Leaks of GDI and USER objects, and of the process's handles.
#pragma once
#include <windows.h>
#include <winternl.h>
#include <gtest/gtest.h>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// One entry of Wine's GDI handle table; a free entry has type 0.
struct GdiHandleEntry { std::uint64_t object; std::uint16_t processId, count, unique; std::uint8_t type, flags; std::uint64_t user; };

inline BOOL CALLBACK CountWindow(HWND window, LPARAM counter) {
  ++*reinterpret_cast<long*>(counter);
  return EnumChildWindows(window, CountWindow, counter), TRUE;
}

// Wine's GetGuiResources answers 0: GDI objects are the used entries of the PEB's GdiSharedHandleTable
// (0x10000 entries, Wine's layout), USER objects the windows of the calling thread, children included.
inline std::pair<long, long> CountGuiObjects() {
  long gdi = 0, user = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&user));
  PROCESS_BASIC_INFORMATION process = {};
  if (!NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process, sizeof(process), nullptr)) {
    const char* const peb = reinterpret_cast<const char*>(process.PebBaseAddress);
    const auto* const table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + (sizeof(void*) == 8 ? 0xF8 : 0x94));
    for (int i = 0; table && i < 0x10000; ++i) gdi += table[i].type != 0;
  }
  return {gdi, user};
}

// The process's handles by type ("Event 4, File 5, ..."), from the system's table of every process's handles.
inline std::string CountHandles() {
  std::vector<char> table(1 << 22);
  if (NtQuerySystemInformation(SystemHandleInformation, table.data(), static_cast<ULONG>(table.size()), nullptr)) return "no table";
  std::map<std::wstring, long> counts;
  const auto* const handles = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(table.data());
  for (ULONG i = 0; i < handles->Count; ++i) {
    if (handles->Handle[i].OwnerPid != GetCurrentProcessId()) continue;
    alignas(PUBLIC_OBJECT_TYPE_INFORMATION) char type[512] = {};
    const UNICODE_STRING& name = reinterpret_cast<const PUBLIC_OBJECT_TYPE_INFORMATION*>(type)->TypeName;
    NtQueryObject(reinterpret_cast<HANDLE>(ULONG_PTR{handles->Handle[i].HandleValue}), ObjectTypeInformation, type, 500, nullptr);
    ++counts[std::wstring(name.Buffer, name.Length / sizeof(WCHAR))];
  }
  std::string text;  // the type names are ASCII
  for (const auto& [name, count] : counts) text += std::string(name.begin(), name.end()) + " " + std::to_string(count) + ", ";
  return text;
}

// Runs `cycle` (given its number) `warmUp` times, for the system to fill its own caches, then `cycles`
// times more, and expects the process to hold as many GDI and USER objects, and handles of each type, as before.
inline void ExpectNothingLeft(int warmUp, int cycles, const std::function<void(int)>& cycle) {
  const auto count = [] {
    const auto [gdi, user] = CountGuiObjects();
    EXPECT_GT(gdi, 0);
    return "GDI objects " + std::to_string(gdi) + ", USER objects " + std::to_string(user) + "; handles " + CountHandles();
  };
  for (int i = 0; i < warmUp; ++i) cycle(i);
  const std::string before = count();
  for (int i = 0; i < cycles; ++i) cycle(i);
  EXPECT_EQ(count(), before);
}
