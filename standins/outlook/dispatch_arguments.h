// Reading the arguments of an IDispatch::Invoke call and filling its result.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "com_pointers.h"

#include <cstddef>
#include <optional>
#include <string>

namespace outlook_standin {

// The positional arguments of a call, in declaration order (DISPPARAMS holds
// them last first). Refusals are thrown as DispatchRefusal.
class Arguments {
 public:
  // A method or property read: no named arguments, between `minimum` and
  // `maximum` positional ones.
  static Arguments ForCall(const DISPPARAMS& params, std::size_t minimum, std::size_t maximum);
  // A property write: exactly one argument, named DISPID_PROPERTYPUT.
  static Arguments ForPut(const DISPPARAMS& params);

  // Whether argument `index` was passed and not marked omitted
  // (VT_ERROR holding DISP_E_PARAMNOTFOUND).
  bool Has(std::size_t index) const;
  // The argument coerced to text, code units kept exactly (zeros included).
  std::wstring Text(std::size_t index) const;
  long Long(std::size_t index) const;

 private:
  explicit Arguments(const DISPPARAMS& params) : params_(params) {}
  const VARIANT& At(std::size_t index) const;
  UINT ArgErrIndex(std::size_t index) const;

  const DISPPARAMS& params_;
};

// Results. `result` may be null when the caller wants none.
void ReturnText(VARIANT* result, const std::optional<std::wstring>& text);
void ReturnLong(VARIANT* result, long value);
void ReturnDate(VARIANT* result, double date);
void ReturnObject(VARIANT* result, IDispatchPtr object);
void ReturnUnknown(VARIANT* result, IUnknownPtr object);

}  // namespace outlook_standin
