#include "framework/detached_work.h"

#include <windows.h>

#include <new>

namespace {

DWORD WINAPI RunWork(void* parameter) {
  std::function<void()>* const work = static_cast<std::function<void()>*>(parameter);
  try {
    (*work)();
  } catch (...) {  // out of memory: the work is over, as failed; its waiter sees no result
  }
  delete work;
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&RunWork), &self);
  FreeLibraryAndExitThread(self, 0);  // the reference its starter took
}

}  // namespace

bool StartDetachedWork(std::function<void()> work) {
  std::function<void()>* const moved = new (std::nothrow) std::function<void()>(std::move(work));
  if (!moved) return false;
  HMODULE pinned = nullptr;  // released by the thread as it ends
  if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&RunWork), &pinned)) {
    if (const HANDLE thread = CreateThread(nullptr, 0, RunWork, moved, 0, nullptr)) {
      CloseHandle(thread);
      return true;
    }
    FreeLibrary(pinned);
  }
  delete moved;
  return false;
}
