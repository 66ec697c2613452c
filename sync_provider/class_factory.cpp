#include "class_factory.h"

#include "com_boundary.h"
#include "module_state.h"
#include "store.h"

namespace pelloquin {

STDMETHODIMP CClassFactory::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
  *ppv = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef() { return static_cast<ULONG>(++m_cRef); }

STDMETHODIMP_(ULONG) CClassFactory::Release() {
  const LONG remaining = --m_cRef;
  if (remaining == 0) delete this;
  return static_cast<ULONG>(remaining);
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (pUnkOuter != nullptr && !IsEqualIID(riid, IID_IUnknown)) return E_NOINTERFACE;
  return GuardedCall([&] {
    // The store lives while this reference is held; a failed QueryInterface
    // leaves it without any, so it is destroyed again.
    IUnknown* store = (new CStore(pUnkOuter))->NonDelegatingUnknown();
    store->AddRef();
    const HRESULT hr = store->QueryInterface(riid, ppv);
    store->Release();
    return hr;
  });
}

STDMETHODIMP CClassFactory::LockServer(BOOL fLock) {
  if (fLock) {
    InterlockedIncrement(&g_cLocks);
  } else {
    InterlockedDecrement(&g_cLocks);
  }
  return S_OK;
}

}  // namespace pelloquin
