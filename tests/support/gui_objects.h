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

// Runs `cycle` (given its number) `warmUp` times, for the system to fill its own caches, then
// `cycles` times more, and expects the process to hold as many GDI and USER objects as before.
inline void ExpectNoGuiObjectsLeft(int warmUp, int cycles, const std::function<void(int)>& cycle) {
  for (int i = 0; i < warmUp; ++i) cycle(i);
  const auto [gdi, user] = CountGuiObjects();
  for (int i = 0; i < cycles; ++i) cycle(i);
  EXPECT_GT(gdi, 0);
  EXPECT_EQ(CountGuiObjects(), std::make_pair(gdi, user)) << "GDI and USER objects";
}

// The process's handles by their type's name ("Event", "Thread", ...), from the system's handle table
// (the handles of every process, as the system lists them).
inline std::map<std::string, long> CountHandles() {
  std::vector<char> table(1 << 20);
  ULONG needed = 0;
  NTSTATUS status;
  while ((status = NtQuerySystemInformation(SystemHandleInformation, table.data(), static_cast<ULONG>(table.size()), &needed)) ==
         static_cast<NTSTATUS>(0xC0000004L)) {  // STATUS_INFO_LENGTH_MISMATCH
    table.resize(table.size() * 2);
  }
  std::map<std::string, long> counts;
  if (status != 0) return ADD_FAILURE() << "NtQuerySystemInformation: " << std::hex << status, counts;
  const auto* const handles = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(table.data());
  for (ULONG i = 0; i < handles->Count; ++i) {
    const SYSTEM_HANDLE_ENTRY& entry = handles->Handle[i];
    if (entry.OwnerPid != GetCurrentProcessId()) continue;
    alignas(PUBLIC_OBJECT_TYPE_INFORMATION) char type[512] = {};
    const HANDLE handle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(entry.HandleValue));
    const auto* const info = reinterpret_cast<const PUBLIC_OBJECT_TYPE_INFORMATION*>(type);
    std::string name = "?";
    if (NtQueryObject(handle, ObjectTypeInformation, type, sizeof(type) - sizeof(WCHAR), nullptr) == 0) {
      name.clear();  // the type names are ASCII
      for (USHORT c = 0; c < info->TypeName.Length / sizeof(WCHAR); ++c) name += static_cast<char>(info->TypeName.Buffer[c]);
    }
    ++counts[name];
  }
  return counts;
}

// As ExpectNoGuiObjectsLeft, for the process's handles of each type.
inline void ExpectNoHandlesLeft(int warmUp, int cycles, const std::function<void(int)>& cycle) {
  for (int i = 0; i < warmUp; ++i) cycle(i);
  const std::map<std::string, long> before = CountHandles();
  for (int i = 0; i < cycles; ++i) cycle(i);
  const auto text = [](const std::map<std::string, long>& counts) {
    std::string listed;
    for (const auto& [type, count] : counts) listed += type + " " + std::to_string(count) + ", ";
    return listed;
  };
  EXPECT_GT(before.size(), 0u);
  EXPECT_EQ(text(CountHandles()), text(before)) << "handles by type";
}
