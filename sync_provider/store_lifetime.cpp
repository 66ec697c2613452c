// Construction, destruction and identity of the store. An aggregated store
// keeps COM's rules: its own IUnknown (Identity) owns the reference count and
// answers for the store's interfaces, while the IUnknown methods of
// IReplStore delegate to the outer object.
#include "store.h"

#include "data_handler.h"
#include "module_state.h"

namespace pelloquin {

CStore::CStore(IUnknown* outer) : m_pUnkOuter(outer), m_pObjHandler(std::make_unique<CDataHandler>(*this)) {
  InterlockedIncrement(&g_cObjects);
}

CStore::~CStore() { InterlockedDecrement(&g_cObjects); }

STDMETHODIMP CStore::Identity::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (IsEqualIID(riid, IID_IUnknown)) {
    *ppv = static_cast<IUnknown*>(this);
  } else if (IsEqualIID(riid, IID_IReplStore)) {
    *ppv = static_cast<IReplStore*>(&store_);
  } else {
    return E_NOINTERFACE;
  }
  static_cast<IUnknown*>(*ppv)->AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CStore::Identity::AddRef() { return static_cast<ULONG>(++store_.m_cRef); }

STDMETHODIMP_(ULONG) CStore::Identity::Release() {
  const LONG remaining = --store_.m_cRef;
  if (remaining == 0) delete &store_;
  return static_cast<ULONG>(remaining);
}

STDMETHODIMP CStore::QueryInterface(REFIID riid, void** ppv) { return ControllingUnknown()->QueryInterface(riid, ppv); }

STDMETHODIMP_(ULONG) CStore::AddRef() { return ControllingUnknown()->AddRef(); }

STDMETHODIMP_(ULONG) CStore::Release() { return ControllingUnknown()->Release(); }

}  // namespace pelloquin
