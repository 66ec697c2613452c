// IUnknown for the stand-in's small COM objects that serve one interface:
// counted from one reference, deleted with the last.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace outlook_standin {

template <typename Interface>
class UnknownObject : public Interface {
 public:
  UnknownObject() = default;
  UnknownObject(const UnknownObject&) = delete;
  UnknownObject& operator=(const UnknownObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override {
    if (!object) return E_POINTER;
    if (interfaceId == IID_IUnknown || interfaceId == __uuidof(Interface)) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 protected:
  virtual ~UnknownObject() = default;

 private:
  volatile LONG references_ = 1;
};

}  // namespace outlook_standin
