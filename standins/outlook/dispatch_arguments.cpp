#include "dispatch_arguments.h"

#include <new>

#include "com_failure.h"

namespace outlook_standin {
namespace {

// A VARIANT that clears itself.
class OwnedVariant {
 public:
  OwnedVariant() { VariantInit(&value_); }
  OwnedVariant(const OwnedVariant&) = delete;
  OwnedVariant& operator=(const OwnedVariant&) = delete;
  ~OwnedVariant() { VariantClear(&value_); }
  VARIANT* Out() { return &value_; }
  const VARIANT& Get() const { return value_; }

 private:
  VARIANT value_;
};

std::wstring TextOf(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

}  // namespace

Arguments Arguments::ForCall(const DISPPARAMS& params, std::size_t minimum, std::size_t maximum) {
  if (params.cNamedArgs != 0) throw DispatchRefusal{DISP_E_NONAMEDARGS};
  if (params.cArgs < minimum || params.cArgs > maximum) throw DispatchRefusal{DISP_E_BADPARAMCOUNT};
  return Arguments(params);
}

Arguments Arguments::ForPut(const DISPPARAMS& params) {
  if (params.cNamedArgs != 1 || !params.rgdispidNamedArgs || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
    throw DispatchRefusal{DISP_E_PARAMNOTFOUND};
  }
  if (params.cArgs != 1) throw DispatchRefusal{DISP_E_BADPARAMCOUNT};
  return Arguments(params);
}

const VARIANT& Arguments::At(std::size_t index) const { return params_.rgvarg[params_.cArgs - 1 - index]; }

UINT Arguments::ArgErrIndex(std::size_t index) const { return static_cast<UINT>(params_.cArgs - 1 - index); }

bool Arguments::Has(std::size_t index) const {
  if (index >= params_.cArgs) return false;
  const VARIANT& argument = At(index);
  return !(V_VT(&argument) == VT_ERROR && V_ERROR(&argument) == DISP_E_PARAMNOTFOUND);
}

std::wstring Arguments::Text(std::size_t index) const {
  if (!Has(index)) throw DispatchRefusal{DISP_E_PARAMNOTOPTIONAL, ArgErrIndex(index)};
  const VARIANT& argument = At(index);
  if (V_VT(&argument) == VT_BSTR) return TextOf(V_BSTR(&argument));
  if (V_VT(&argument) == (VT_BSTR | VT_BYREF)) return TextOf(*V_BSTRREF(&argument));
  OwnedVariant coerced;
  if (FAILED(VariantChangeType(coerced.Out(), const_cast<VARIANT*>(&argument), 0, VT_BSTR))) {
    throw DispatchRefusal{DISP_E_TYPEMISMATCH, ArgErrIndex(index)};
  }
  return TextOf(V_BSTR(&coerced.Get()));
}

long Arguments::Long(std::size_t index) const {
  if (!Has(index)) throw DispatchRefusal{DISP_E_PARAMNOTOPTIONAL, ArgErrIndex(index)};
  OwnedVariant coerced;
  if (FAILED(VariantChangeType(coerced.Out(), const_cast<VARIANT*>(&At(index)), 0, VT_I4))) {
    throw DispatchRefusal{DISP_E_TYPEMISMATCH, ArgErrIndex(index)};
  }
  return V_I4(&coerced.Get());
}

void ReturnText(VARIANT* result, const std::optional<std::wstring>& text) {
  if (!result) return;
  BSTR value = nullptr;
  if (text) {
    value = SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
    if (!value) throw std::bad_alloc();
  }
  V_VT(result) = VT_BSTR;
  V_BSTR(result) = value;
}

void ReturnLong(VARIANT* result, long value) {
  if (!result) return;
  V_VT(result) = VT_I4;
  V_I4(result) = value;
}

void ReturnDate(VARIANT* result, double date) {
  if (!result) return;
  V_VT(result) = VT_DATE;
  V_DATE(result) = date;
}

void ReturnObject(VARIANT* result, IDispatchPtr object) {
  if (!result) return;
  V_VT(result) = VT_DISPATCH;
  V_DISPATCH(result) = object.Detach();
}

void ReturnUnknown(VARIANT* result, IUnknownPtr object) {
  if (!result) return;
  V_VT(result) = VT_UNKNOWN;
  V_UNKNOWN(result) = object.Detach();
}

}  // namespace outlook_standin
