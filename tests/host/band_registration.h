// quillbar.dll of this build, registered as the installer would before any test of the process runs.
#pragma once

#include <windows.h>

// Registers the quillbar.dll that lies beside the test program (regsvr32 /s).
HRESULT RegisterBandServer();
