// Leaks of GDI and USER objects.
#pragma once

#include <functional>

// Runs `cycle` (given its number) `warmUp` times, for the system to fill its own caches, then
// `cycles` times more, and expects the process to hold as many GDI and USER objects as before.
void ExpectNoGuiObjectsLeft(int warmUp, int cycles, const std::function<void(int)>& cycle);
