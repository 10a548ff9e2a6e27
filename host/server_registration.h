// Registering a COM server the way an installer does: regsvr32 in a process of its own.
#pragma once

#include <windows.h>

#include <string>

// Runs the system's regsvr32 /s on `dllPath` and waits for it; S_OK when it reported success.
HRESULT RegisterServer(const std::string& dllPath);
// The same with /u: the server removes its registration.
HRESULT UnregisterServer(const std::string& dllPath);

// The full path of `fileName` in the folder of the running program.
std::string PathBesideProgram(const char* fileName);
