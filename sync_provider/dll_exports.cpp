// The library's three exports. DllRegisterServer writes nothing: the
// registration that lets the service manager find the provider is written by
// tools/register-provider, outside the library.
#include <windows.h>

#include <new>

#include "class_factory.h"
#include "module_state.h"

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID, REFIID riid, LPVOID* ppv) {
  // Every class id yields the store's factory.
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return CLASS_E_CLASSNOTAVAILABLE;
  if (ppv == nullptr) return E_POINTER;
  auto* factory = new (std::nothrow) pelloquin::CClassFactory;
  *ppv = static_cast<IClassFactory*>(factory);
  if (factory == nullptr) return E_OUTOFMEMORY;
  factory->AddRef();
  return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return g_cObjects != 0 || g_cLocks != 0 ? S_FALSE : S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return S_OK; }
