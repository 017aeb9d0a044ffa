// Per-user registration of the COM class, its type library and the Outlook add-in entry.
#pragma once

#include <windows.h>

#include <string>

namespace tabrix {

// Writes every key and value under HKEY_CURRENT_USER for the DLL at dllPath. On failure what was
// written is removed again.
HRESULT registerServer(const std::wstring& dllPath);

// Removes exactly the keys registerServer writes.
HRESULT unregisterServer();

} // namespace tabrix
