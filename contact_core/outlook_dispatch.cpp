#include "outlook_dispatch.h"

#include <vector>

#include "outlook_contract.h"

namespace contact_core {

namespace {

HRESULT HresultOfException(EXCEPINFO& exception) {
  if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  if (FAILED(exception.scode)) return exception.scode;
  if (exception.wCode != 0) return _com_error::WCodeToHRESULT(exception.wCode);
  return DISP_E_EXCEPTION;
}

_variant_t Invoke(IDispatch* object, const DispatchInterface& iface, std::string_view name, WORD flags,
                  std::vector<VARIANTARG>& reversed_arguments, bool is_put) {
  if (object == nullptr) _com_issue_error(E_POINTER);
  const DISPID id = iface.IdOf(object, name);
  DISPID put_id = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.rgvarg = reversed_arguments.data();
  params.cArgs = static_cast<UINT>(reversed_arguments.size());
  if (is_put) {
    params.rgdispidNamedArgs = &put_id;
    params.cNamedArgs = 1;
  }
  _variant_t result;
  EXCEPINFO exception{};
  UINT bad_argument = 0;
  HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &exception,
                              &bad_argument);
  if (hr == DISP_E_EXCEPTION) hr = HresultOfException(exception);
  if (FAILED(hr)) RaiseOutlookError(hr, object, iface.Iid());
  return result;
}

}  // namespace

DISPID DispatchInterface::IdOf(IDispatch* object, std::string_view member) const {
  std::lock_guard lock(mutex_);
  if (const auto found = ids_.find(member); found != ids_.end()) return found->second;

  std::wstring wide(member.begin(), member.end());
  LPOLESTR names[] = {wide.data()};
  DISPID id = DISPID_UNKNOWN;
  const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) RaiseOutlookError(hr, object, iid_);
  ids_.emplace(member, id);
  return id;
}

const DispatchInterface& ApplicationInterface() {
  static const DispatchInterface iface(outlook::IID_Application);
  return iface;
}
const DispatchInterface& NamespaceInterface() {
  static const DispatchInterface iface(outlook::IID_NameSpace);
  return iface;
}
const DispatchInterface& FolderInterface() {
  static const DispatchInterface iface(outlook::IID_MAPIFolder);
  return iface;
}
const DispatchInterface& ItemsInterface() {
  static const DispatchInterface iface(outlook::IID_Items);
  return iface;
}
const DispatchInterface& ContactInterface() {
  static const DispatchInterface iface(outlook::IID_ContactItem);
  return iface;
}

void RaiseOutlookError(HRESULT hr, IUnknown* object, const IID& iid) {
  IErrorInfo* error_info = nullptr;
  if (object != nullptr) {
    ISupportErrorInfoPtr support;
    if (SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support))) &&
        support->InterfaceSupportsErrorInfo(iid) == S_OK && GetErrorInfo(0, &error_info) != S_OK) {
      error_info = nullptr;
    }
  }
  // The error object takes over the reference GetErrorInfo gave us.
  throw _com_error(hr, error_info, false);
}

IDispatchPtr QueryOutlookInterface(IUnknown* object, const DispatchInterface& iface) {
  if (object == nullptr) _com_issue_error(E_POINTER);
  IDispatch* raw = nullptr;
  const HRESULT hr = object->QueryInterface(iface.Iid(), reinterpret_cast<void**>(&raw));
  if (hr == E_NOINTERFACE) return nullptr;
  if (FAILED(hr)) _com_issue_error(hr);
  return IDispatchPtr(raw, false);
}

_variant_t GetProperty(IDispatch* object, const DispatchInterface& iface, std::string_view name) {
  std::vector<VARIANTARG> no_arguments;
  return Invoke(object, iface, name, DISPATCH_PROPERTYGET, no_arguments, false);
}

void PutProperty(IDispatch* object, const DispatchInterface& iface, std::string_view name,
                 const _variant_t& value) {
  std::vector<VARIANTARG> arguments{value};
  Invoke(object, iface, name, DISPATCH_PROPERTYPUT, arguments, true);
}

_variant_t CallMethod(IDispatch* object, const DispatchInterface& iface, std::string_view name,
                      std::initializer_list<_variant_t> arguments) {
  // DISPPARAMS lists arguments last to first. The VARIANTs are shallow copies
  // of the caller's, which own them for the whole call.
  std::vector<VARIANTARG> reversed(arguments.size());
  std::size_t i = arguments.size();
  for (const _variant_t& argument : arguments) reversed[--i] = argument;
  return Invoke(object, iface, name, DISPATCH_METHOD, reversed, false);
}

IDispatchPtr AsObject(_variant_t&& value) {
  switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return nullptr;
    case VT_DISPATCH: {
      IDispatchPtr object(value.pdispVal, false);
      value.vt = VT_EMPTY;
      return object;
    }
    case VT_UNKNOWN: {
      if (value.punkVal == nullptr) return nullptr;
      IDispatchPtr object;
      const HRESULT hr = value.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object));
      if (FAILED(hr)) _com_issue_error(hr);
      return object;
    }
    default:
      _com_issue_error(DISP_E_TYPEMISMATCH);
      return nullptr;
  }
}

_bstr_t AsText(_variant_t&& value) {
  if (value.vt == VT_EMPTY || value.vt == VT_NULL) return _bstr_t();
  if (value.vt != VT_BSTR) value.ChangeType(VT_BSTR);
  _bstr_t text(value.bstrVal, false);
  value.vt = VT_EMPTY;
  return text;
}

long AsLong(_variant_t&& value) {
  value.ChangeType(VT_I4);
  return value.lVal;
}

DATE AsDate(_variant_t&& value) {
  value.ChangeType(VT_DATE);
  return value.date;
}

_variant_t OmittedArgument() {
  _variant_t omitted;
  omitted.vt = VT_ERROR;
  omitted.scode = DISP_E_PARAMNOTFOUND;
  return omitted;
}

}  // namespace contact_core
