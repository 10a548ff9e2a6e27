// Work whose waiter may stop waiting for it (a name lookup, a download): it runs on a thread of its
// own that keeps this module loaded until the work is over, so that nothing of the module is
// unloaded under it once the browser has let the module go. What the work shares with its waiter
// is held by both (a std::shared_ptr captured by `work`), and goes with whichever ends last.
#pragma once

#include <functional>

// Starts `work` on a new thread. False when no thread could be started; `work` then never runs.
bool StartDetachedWork(std::function<void()> work);
