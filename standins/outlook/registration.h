// The registry entries that make COM find the stand-in as Outlook: the DLL
// as an in-process server, or OutlookStandin.exe as a local server. Whichever
// registers last is the one clients get.
#pragma once

#include <windows.h>

#include <string>

namespace outlook_standin {

// HKCR\CLSID\{application class}\InprocServer32 = `modulePath` with
// ThreadingModel Both, its ProgID, and HKCR\Outlook.Application\CLSID.
// Removes a local server's LocalServer32 entry.
HRESULT RegisterServer(const std::wstring& modulePath);
// Removes what RegisterServer wrote; entries already gone are no failure.
HRESULT UnregisterServer();

// HKCR\CLSID\{application class}\LocalServer32 = the quoted `exePath`, with
// its ProgID and HKCR\Outlook.Application\CLSID; the same for the private
// control class; and the type library embedded in the executable, which
// registers the interfaces for the type-library marshaler. Removes the DLL's
// InprocServer32 entry. Run inside the server, so that all of it lands in the
// registry view of the server's word size.
HRESULT RegisterLocalServer(const std::wstring& exePath);
// Removes what RegisterLocalServer wrote; entries already gone are no failure.
HRESULT UnregisterLocalServer();

}  // namespace outlook_standin
