#include "framework/module.h"

// Provided by the linker at the start of every PE image: its address is the module's handle.
extern "C" IMAGE_DOS_HEADER __ImageBase;

HINSTANCE AfxGetResourceHandle() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }
