// The entry points of OutlookStandin.dll, the in-process COM server that
// clients reach through the registry exactly as they would Outlook.
#include <windows.h>
#include <objbase.h>

#include "com_pointers.h"

#include <string>

#include "class_factories.h"
#include "module_path.h"
#include "outlook_ids.h"
#include "outlook_standin.h"
#include "registration.h"

namespace {

HMODULE thisModule = nullptr;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    thisModule = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (classId != outlook_standin::kApplicationClassId) return CLASS_E_CLASSNOTAVAILABLE;
  IClassFactory* factory = outlook_standin::NewApplicationFactory();
  if (!factory) return E_OUTOFMEMORY;
  const IClassFactoryPtr owner(factory, false);
  return factory->QueryInterface(interfaceId, object);
}

STDAPI DllCanUnloadNow() {
  return outlook_standin::LiveObjectCount() == 0 && !outlook_standin::FactoriesInUse() ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
  const std::wstring path = outlook_standin::ModulePath(thisModule);
  if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
  return outlook_standin::RegisterServer(path);
}

STDAPI DllUnregisterServer() { return outlook_standin::UnregisterServer(); }
