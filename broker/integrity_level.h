// Where the band runs: at low integrity (the browser's Protected Mode) it may not write the user's
// settings, keys or folders, and asks the broker to.
#pragma once

#include <windows.h>

// The mandatory integrity level the band reads (SECURITY_MANDATORY_*_RID): its process token's, or
// low where the browser says the process is in Protected Mode. Medium where the system has none.
DWORD BandIntegrityLevel();

// Whether the band's writes of the user's settings and list go through the broker.
bool WritesThroughBroker();

// Tests put another reading in place (nullptr: the real one) and get the one replaced.
using IntegrityLevelFunc = DWORD (*)();
IntegrityLevelFunc ReplaceIntegrityLevel(IntegrityLevelFunc func);
