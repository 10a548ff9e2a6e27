// What this process holds, as the tests and the benchmarks watch it across bands coming and going.
#pragma once
#include <string>

// "GDI objects N, USER objects N; handles <type> N, ..." (handles "unknown" where the system does not
// list them): the process's GDI objects, the windows of this thread and its handles by type.
std::string HeldObjects();
