#include "dispatch_object.h"

#include <algorithm>
#include <new>
#include <optional>

#include "ascii_case.h"
#include "call_monitor.h"
#include "com_failure.h"

namespace outlook_standin {
namespace {

volatile LONG liveObjects = 0;
// Outlook's restarts so far: an object made before the latest is disconnected.
volatile LONG generation = 0;

LONG CurrentGeneration() { return InterlockedCompareExchange(&generation, 0, 0); }
volatile LONG livePrivateObjects = 0;

volatile LONG* LiveCounterOf(Monitoring monitoring) {
  return monitoring == Monitoring::Outlook ? &liveObjects : &livePrivateObjects;
}

constexpr wchar_t kErrorSource[] = L"Outlook.Application";

std::optional<Operation> OperationFor(const Member& member, WORD flags) {
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    return member.access == MemberAccess::ReadWrite ? std::optional(Operation::Put) : std::nullopt;
  }
  if (member.access == MemberAccess::Method) {
    return (flags & DISPATCH_METHOD) ? std::optional(Operation::Call) : std::nullopt;
  }
  return (flags & DISPATCH_PROPERTYGET) ? std::optional(Operation::Get) : std::nullopt;
}

// Outlook's error information for the thread; a failure to make it leaves
// the thread without any, which callers must cope with anyway.
void SetThreadErrorInfo(const IID& interfaceId, const wchar_t* description) {
  ICreateErrorInfo* creator = nullptr;
  if (FAILED(CreateErrorInfo(&creator))) return;
  const ICreateErrorInfoPtr owner(creator, false);
  creator->SetGUID(interfaceId);
  creator->SetSource(const_cast<LPOLESTR>(kErrorSource));
  creator->SetDescription(const_cast<LPOLESTR>(description));
  IErrorInfoPtr info;
  if (SUCCEEDED(creator->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
    SetErrorInfo(0, info);
  }
}

}  // namespace

DispatchObject::DispatchObject(const IID& interfaceId, std::span<const Member> members, Monitoring monitoring)
    : generation_(CurrentGeneration()), interfaceId_(interfaceId), members_(members), monitoring_(monitoring) {
  InterlockedIncrement(LiveCounterOf(monitoring_));
}

DispatchObject::~DispatchObject() { InterlockedDecrement(LiveCounterOf(monitoring_)); }

long LiveDispatchObjects() { return InterlockedCompareExchange(&liveObjects, 0, 0); }

void DisconnectEveryObject() { InterlockedIncrement(&generation); }

// The private control object outlives a restart: it steers the stand-in, it
// is not part of Outlook.
bool DispatchObject::Disconnected() const {
  return monitoring_ == Monitoring::Outlook && generation_ != CurrentGeneration();
}

LiveOutlookObject::LiveOutlookObject() { InterlockedIncrement(&liveObjects); }

LiveOutlookObject::~LiveOutlookObject() { InterlockedDecrement(&liveObjects); }

long LivePrivateObjects() { return InterlockedCompareExchange(&livePrivateObjects, 0, 0); }

void DispatchObject::Observe(OutlookCall call, std::wstring_view member) const {
  if (monitoring_ == Monitoring::Outlook) TheCallMonitor().Observe(call, member);
}

HRESULT DispatchObject::QueryInterface(REFIID interfaceId, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (interfaceId == IID_IUnknown || interfaceId == IID_IDispatch || interfaceId == interfaceId_) {
    *object = static_cast<IDispatch*>(this);
  } else if (interfaceId == IID_ISupportErrorInfo) {
    *object = static_cast<ISupportErrorInfo*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG DispatchObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG DispatchObject::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT DispatchObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo) {
  if (typeInfo) *typeInfo = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID interfaceId, LPOLESTR* names, UINT nameCount, LCID, DISPID* ids) {
  // A proxy to an Outlook that has ended answers this to every call.
  if (Disconnected()) return RPC_E_DISCONNECTED;
  if (interfaceId != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!names || !ids) return E_POINTER;
  if (nameCount == 0) return S_OK;
  try {
    for (UINT i = 0; i < nameCount; ++i) {
      Observe(OutlookCall::GetIDsOfNames, names[i] ? names[i] : L"");
    }
  } catch (const ComFailure& failure) {
    return failure.Result();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  // No member takes named arguments, so every name after the first is unknown.
  std::fill(ids, ids + nameCount, DISPID_UNKNOWN);
  const std::wstring_view name = names[0] ? names[0] : L"";
  const auto member = std::find_if(members_.begin(), members_.end(),
                                   [name](const Member& m) { return EqualsIgnoringAsciiCase(m.name, name); });
  if (member == members_.end()) return DISP_E_UNKNOWNNAME;
  ids[0] = member->id;
  return nameCount == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT DispatchObject::Invoke(DISPID id, REFIID interfaceId, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  if (Disconnected()) return RPC_E_DISCONNECTED;
  if (interfaceId != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!params) return E_INVALIDARG;
  const Member* member = FindMember(id);
  const auto operation = member ? OperationFor(*member, flags) : std::nullopt;
  if (!operation) return DISP_E_MEMBERNOTFOUND;
  if (result) VariantInit(result);
  try {
    Observe(*operation == Operation::Put ? OutlookCall::PropertyPut : member->call, member->name);
    Perform(*member, *operation, *params, result);
    return S_OK;
  } catch (const DispatchRefusal& refusal) {
    if (argumentError) *argumentError = refusal.argumentIndex;
    return refusal.result;
  } catch (const ComFailure& failure) {
    return Report(failure.Result(), failure.Description().c_str(), failure.AsException(), exception);
  } catch (const std::bad_alloc&) {
    return Report(E_OUTOFMEMORY, L"Out of memory.", true, exception);
  } catch (...) {
    return Report(E_UNEXPECTED, L"Unexpected failure.", true, exception);
  }
}

HRESULT DispatchObject::InterfaceSupportsErrorInfo(REFIID interfaceId) {
  return interfaceId == interfaceId_ ? S_OK : S_FALSE;
}

const Member* DispatchObject::FindMember(DISPID id) const {
  const auto member = std::find_if(members_.begin(), members_.end(), [id](const Member& m) { return m.id == id; });
  return member == members_.end() ? nullptr : &*member;
}

HRESULT DispatchObject::Report(HRESULT result, const wchar_t* description, bool asException,
                               EXCEPINFO* exception) const {
  if (!asException) {
    SetErrorInfo(0, nullptr);
    return result;
  }
  if (exception) {
    *exception = EXCEPINFO{};
    exception->bstrSource = SysAllocString(kErrorSource);
    exception->bstrDescription = SysAllocString(description);
    exception->scode = result;
  }
  SetThreadErrorInfo(interfaceId_, description);
  return DISP_E_EXCEPTION;
}

}  // namespace outlook_standin
