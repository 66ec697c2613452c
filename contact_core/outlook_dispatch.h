// Calls into Outlook through IDispatch by name.
//
// Each Outlook interface is a DispatchInterface: its identifier plus the
// DISPIDs of the member names looked up on it so far. Dispatch identifiers are
// fixed per interface, so each name is looked up once per process and kept.
//
// Every failing call raises _com_error with the real HRESULT (taken from
// EXCEPINFO when Invoke answers DISP_E_EXCEPTION) and, when the object offers
// rich error information for the interface, the thread's IErrorInfo.
#pragma once

#include "com_support.h"
#include <windows.h>

#include <initializer_list>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace contact_core {

class DispatchInterface {
 public:
  explicit DispatchInterface(const IID& iid) : iid_(iid) {}
  DispatchInterface(const DispatchInterface&) = delete;
  DispatchInterface& operator=(const DispatchInterface&) = delete;

  const IID& Iid() const { return iid_; }

  // The DISPID of `member` (an ASCII name) on `object`, which must implement
  // this interface. Looked up on first use only.
  DISPID IdOf(IDispatch* object, std::string_view member) const;

 private:
  IID iid_;
  mutable std::mutex mutex_;
  // Looked up by string_view, so the look-up itself allocates nothing.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  };
  mutable std::unordered_map<std::string, DISPID, NameHash, std::equal_to<>> ids_;
};

const DispatchInterface& ApplicationInterface();
const DispatchInterface& NamespaceInterface();
const DispatchInterface& FolderInterface();
const DispatchInterface& ItemsInterface();
const DispatchInterface& ContactInterface();

// Raises _com_error(hr), with the object's IErrorInfo when it reports rich
// error information for `iid`.
[[noreturn]] void RaiseOutlookError(HRESULT hr, IUnknown* object, const IID& iid);

// The object's `iface` pointer, or null when it answers E_NOINTERFACE (an
// item that is not a contact, say). Any other failure raises; a null object
// raises E_POINTER.
IDispatchPtr QueryOutlookInterface(IUnknown* object, const DispatchInterface& iface);

_variant_t GetProperty(IDispatch* object, const DispatchInterface& iface, std::string_view name);
void PutProperty(IDispatch* object, const DispatchInterface& iface, std::string_view name,
                 const _variant_t& value);
// Arguments are given in declaration order.
_variant_t CallMethod(IDispatch* object, const DispatchInterface& iface, std::string_view name,
                      std::initializer_list<_variant_t> arguments = {});

// Conversions of a result, each taking it over. Objects: null for Nothing,
// empty or null. Text: a null _bstr_t for a null string, empty or null.
IDispatchPtr AsObject(_variant_t&& value);
_bstr_t AsText(_variant_t&& value);
long AsLong(_variant_t&& value);
DATE AsDate(_variant_t&& value);

// The omitted-argument VARIANT: VT_ERROR holding DISP_E_PARAMNOTFOUND.
_variant_t OmittedArgument();

}  // namespace contact_core
