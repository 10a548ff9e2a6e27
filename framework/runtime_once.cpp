// The C and C++ runtime's one-time set-ups inside a framework DLL, kept off the threads library.
//
// The statically linked threads library gives each thread that first calls pthread_once a record of
// its own (a duplicate of the thread's handle and an event) and leaves it behind when the module is
// unloaded. The runtime calls pthread_once for its own set-ups: the 32-bit unwinder does on the
// thread that loads the module, as it registers the module's frame tables, so that each time the
// browser loads the DLL again one of its threads would keep another thread handle and event. The
// link sends the runtime's calls here instead (-Wl,--wrap=pthread_once): a once on its flag alone,
// which holds no handles. The flag starts at 0 (PTHREAD_ONCE_INIT), is 1 while its set-up runs and
// 2 once done; the set-ups are a few instructions, so a second caller yields until the first ends.
#include <windows.h>

extern "C" int __wrap_pthread_once(volatile LONG* once, void (*setUp)()) {
  constexpr LONG kRunning = 1, kDone = 2;
  if (InterlockedCompareExchange(once, kRunning, 0) == 0) {
    setUp();
    InterlockedExchange(once, kDone);
    return 0;
  }
  while (InterlockedCompareExchange(once, kDone, kDone) != kDone) SwitchToThread();
  return 0;
}
