// CClassFactory: creates stores. A new factory is made for every
// DllGetClassObject call; factories do not keep the library loaded.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>

namespace pelloquin {

class CClassFactory final : public IClassFactory {
 public:
  CClassFactory() = default;
  CClassFactory(const CClassFactory&) = delete;
  CClassFactory& operator=(const CClassFactory&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
  STDMETHODIMP LockServer(BOOL fLock) override;

 private:
  std::atomic<LONG> m_cRef{0};
};

}  // namespace pelloquin
