#include "host/held_objects.h"

#include <windows.h>
#include <winternl.h>

#include <map>
#include <vector>

namespace {

// One entry of Wine's GDI handle table; a free entry has type 0.
struct GdiHandleEntry {
  UINT64 object;
  WORD processId, count, unique;
  BYTE type, flags;
  UINT64 user;
};

BOOL CALLBACK CountChildWindow(HWND, LPARAM counter) {
  ++*reinterpret_cast<long*>(counter);
  return TRUE;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM counter) {  // a top-level window and all its descendants
  CountChildWindow(window, counter);
  EnumChildWindows(window, CountChildWindow, counter);
  return TRUE;
}

}  // namespace

// Wine's GetGuiResources answers 0: GDI objects are the used entries of the PEB's GdiSharedHandleTable (Wine's
// layout); handles by type come from the system's table of every process's.
std::string HeldObjects() {
  long gdi = 0, user = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&user));
  PROCESS_BASIC_INFORMATION process = {};
  if (!NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process, sizeof(process), nullptr)) {
    const char* const at = reinterpret_cast<const char*>(process.PebBaseAddress) + (sizeof(void*) == 8 ? 0xF8 : 0x94);
    const auto* const entries = *reinterpret_cast<const GdiHandleEntry* const*>(at);
    for (int i = 0; entries && i < 0x10000; ++i) gdi += entries[i].type != 0;
  }
  std::string held = "GDI objects " + std::to_string(gdi) + ", USER objects " + std::to_string(user) + "; handles ";
  std::vector<char> table(1 << 22);
  const auto* const handles = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(table.data());
  if (NtQuerySystemInformation(SystemHandleInformation, table.data(), static_cast<ULONG>(table.size()), nullptr)) {
    return held + "unknown";
  }
  std::map<std::string, long> counts;
  for (ULONG i = 0; i < handles->Count; ++i) {
    if (handles->Handle[i].OwnerPid != GetCurrentProcessId()) continue;
    alignas(PUBLIC_OBJECT_TYPE_INFORMATION) char type[512] = {};
    const UNICODE_STRING& name = reinterpret_cast<const PUBLIC_OBJECT_TYPE_INFORMATION*>(type)->TypeName;
    const auto handle = reinterpret_cast<HANDLE>(ULONG_PTR{handles->Handle[i].HandleValue});
    NtQueryObject(handle, ObjectTypeInformation, type, 500, nullptr);
    ++counts[std::string(name.Buffer, name.Buffer + name.Length / sizeof(WCHAR))];  // ASCII names
  }
  const char* separator = "";
  for (const auto& [name, count] : counts) {
    held += separator + name + " " + std::to_string(count);
    separator = ", ";
  }
  return held;
}
