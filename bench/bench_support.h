// What the benchmarks share: list entries to time with, an installation folder to read them
// from, and the clock.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Entry `i` of a made-up proxy list, ended by "<br />"; `withMarker` adds the text after the
// location that a download carries on some entries.
std::string BenchListEntry(int i, bool withMarker = false);

// A folder in the temporary folder named by "AppPath", with "UpdateProxy" 0 so that nothing is
// downloaded; its path ends with a backslash.
std::string PrepareBenchFolder(const char* name);

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to);
double Median(std::vector<double> times);
