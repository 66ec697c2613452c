#include "interface_anchors.h"

#include <objbase.h>

#include <initializer_list>
#include <utility>

#include "outlook_ids.h"

namespace outlook_standin {
namespace {

// An object with no members that enumerates nothing and makes nothing,
// answering every interface the server's own objects answer. No client ever reaches it: it
// only stands in COM's marshaling table.
class EmptyObject final : public IDispatch, public IEnumVARIANT, public ISupportErrorInfo, public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (interfaceId == IID_IUnknown || interfaceId == IID_IDispatch || interfaceId == kApplicationInterfaceId ||
        interfaceId == kNameSpaceInterfaceId || interfaceId == kFolderInterfaceId ||
        interfaceId == kItemsInterfaceId || interfaceId == kContactItemInterfaceId ||
        interfaceId == kDistListItemInterfaceId) {
      *object = static_cast<IDispatch*>(this);
    } else if (interfaceId == IID_IEnumVARIANT) {
      *object = static_cast<IEnumVARIANT*>(this);
    } else if (interfaceId == IID_ISupportErrorInfo) {
      *object = static_cast<ISupportErrorInfo*>(this);
    } else if (interfaceId == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo) override {
    if (typeInfo) *typeInfo = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
    for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

  HRESULT STDMETHODCALLTYPE Next(ULONG, VARIANT*, ULONG* fetched) override {
    if (fetched) *fetched = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE Reset() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
    if (!copy) return E_POINTER;
    *copy = this;
    AddRef();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID) override { return S_FALSE; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** object) override {
    if (object) *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  ~EmptyObject() = default;
  volatile LONG references_ = 1;
};

}  // namespace

InterfaceAnchors::InterfaceAnchors() {
  const IUnknownPtr empty(static_cast<IDispatch*>(new EmptyObject), false);
  Anchor(empty, {&IID_IUnknown, &IID_IDispatch, &kApplicationInterfaceId, &kNameSpaceInterfaceId, &kFolderInterfaceId,
                 &kItemsInterfaceId, &kContactItemInterfaceId, &kDistListItemInterfaceId, &IID_IEnumVARIANT,
                 &IID_ISupportErrorInfo, &IID_IClassFactory});
  // Failed calls carry error objects to their clients.
  ICreateErrorInfoPtr errorInfo;
  CheckResult(CreateErrorInfo(&errorInfo));
  Anchor(errorInfo, {&IID_IErrorInfo});
}

void InterfaceAnchors::Disconnect::operator()(IUnknown* object) const {
  CoDisconnectObject(object, 0);
  object->Release();
}

void InterfaceAnchors::Anchor(IUnknown* object, std::initializer_list<const IID*> interfaceIds) {
  object->AddRef();
  AnchoredObject owner(object);
  anchored_.push_back(std::move(owner));
  for (const IID* interfaceId : interfaceIds) {
    IStreamPtr stream;
    CheckResult(CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    CheckResult(CoMarshalInterface(stream, *interfaceId, object, MSHCTX_LOCAL, nullptr, MSHLFLAGS_TABLESTRONG));
  }
}

}  // namespace outlook_standin
