#include "dispatch_calls.h"

#include <algorithm>

namespace outlook_standin::testing {

Invocation Invoke(IDispatch* object, std::wstring_view name, WORD flags, std::vector<_variant_t> arguments) {
  Invocation invocation;
  std::wstring member(name);
  LPOLESTR names[] = {member.data()};
  DISPID id = DISPID_UNKNOWN;
  invocation.result = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(invocation.result)) return invocation;

  std::reverse(arguments.begin(), arguments.end());
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.rgvarg = arguments.empty() ? nullptr : reinterpret_cast<VARIANTARG*>(arguments.data());
  params.cArgs = static_cast<UINT>(arguments.size());
  if (flags & DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &putId;
    params.cNamedArgs = 1;
  }
  EXCEPINFO exception{};
  UINT argumentError = 0;
  VARIANT result;
  VariantInit(&result);
  invocation.result =
      object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &exception, &argumentError);
  invocation.value.Attach(result);
  if (invocation.result == DISP_E_EXCEPTION) {
    invocation.scode = exception.scode;
    if (exception.bstrDescription) invocation.description = exception.bstrDescription;
  }
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return invocation;
}

Invocation Get(IDispatch* object, std::wstring_view name) { return Invoke(object, name, DISPATCH_PROPERTYGET); }

Invocation Put(IDispatch* object, std::wstring_view name, const _variant_t& value) {
  return Invoke(object, name, DISPATCH_PROPERTYPUT, {value});
}

Invocation Call(IDispatch* object, std::wstring_view name, std::vector<_variant_t> arguments) {
  return Invoke(object, name, DISPATCH_METHOD, std::move(arguments));
}

IDispatchPtr ObjectOf(const Invocation& invocation) {
  if (V_VT(&invocation.value) != VT_DISPATCH) return nullptr;
  return IDispatchPtr(V_DISPATCH(&invocation.value));
}

std::optional<std::wstring> TextOf(const Invocation& invocation) {
  if (V_VT(&invocation.value) != VT_BSTR || !V_BSTR(&invocation.value)) return std::nullopt;
  const BSTR text = V_BSTR(&invocation.value);
  return std::wstring(text, SysStringLen(text));
}

_variant_t TextVariant(std::wstring_view text) {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return _variant_t(value, false);
}

_variant_t Omitted() {
  VARIANT value;
  VariantInit(&value);
  V_VT(&value) = VT_ERROR;
  V_ERROR(&value) = DISP_E_PARAMNOTFOUND;
  return _variant_t(value, false);
}

}  // namespace outlook_standin::testing
