// Process-wide state of the DLL: its module handle and the count that DllCanUnloadNow reports.
#pragma once

#include <windows.h>

#include <string>

namespace tabrix {

HMODULE moduleHandle();
// Full path of this DLL.
std::wstring modulePath();

// Live objects and server locks; the DLL may unload when none remain.
void addModuleReference();
void releaseModuleReference();

} // namespace tabrix
