// The registry entries that make COM find the stand-in DLL as Outlook.
#pragma once

#include <windows.h>

#include <string>

namespace outlook_standin {

// HKCR\CLSID\{application class}\InprocServer32 = `modulePath` with
// ThreadingModel Both, its ProgID, and HKCR\Outlook.Application\CLSID.
HRESULT RegisterServer(const std::wstring& modulePath);
// Removes what RegisterServer wrote; entries already gone are no failure.
HRESULT UnregisterServer();

}  // namespace outlook_standin
