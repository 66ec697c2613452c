// Late-bound calls into the stand-in's objects, the way its clients make
// them: GetIDsOfNames by name, then Invoke.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com_pointers.h"

namespace outlook_standin::testing {

struct Invocation {
  HRESULT result = E_FAIL;  // what GetIDsOfNames or Invoke answered
  _variant_t value;
  SCODE scode = S_OK;  // EXCEPINFO.scode when Invoke answered DISP_E_EXCEPTION
  std::wstring description;
};

// `arguments` in declaration order.
Invocation Invoke(IDispatch* object, std::wstring_view name, WORD flags, std::vector<_variant_t> arguments = {});
Invocation Get(IDispatch* object, std::wstring_view name);
Invocation Put(IDispatch* object, std::wstring_view name, const _variant_t& value);
Invocation Call(IDispatch* object, std::wstring_view name, std::vector<_variant_t> arguments = {});

// The object a successful call returned (null for Nothing).
IDispatchPtr ObjectOf(const Invocation& invocation);
// The text a successful call returned; nullopt for a null BSTR.
std::optional<std::wstring> TextOf(const Invocation& invocation);

// A VARIANT holding `text` with every code unit, embedded zeros included.
_variant_t TextVariant(std::wstring_view text);
// The omitted-argument VARIANT: VT_ERROR holding DISP_E_PARAMNOTFOUND.
_variant_t Omitted();

}  // namespace outlook_standin::testing
