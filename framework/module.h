// The module (EXE or DLL) that the framework is linked into: the source of its resources.
#pragma once

#include <windows.h>

// The instance handle of the module this code is linked into; needs no initialisation.
HINSTANCE AfxGetResourceHandle();
