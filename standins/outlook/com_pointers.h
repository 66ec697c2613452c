// COM smart pointers the stand-in uses, and its one check of an HRESULT.
// mingw-w64's comdef.h leaves the standard typedefs to comdefsp.h, which GCC
// builds skip, so they are declared here. Internal to the stand-in: its public header does not
// include it.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <comdef.h>

_COM_SMARTPTR_TYPEDEF(IUnknown, __uuidof(IUnknown));
_COM_SMARTPTR_TYPEDEF(IDispatch, __uuidof(IDispatch));
_COM_SMARTPTR_TYPEDEF(IEnumVARIANT, __uuidof(IEnumVARIANT));
_COM_SMARTPTR_TYPEDEF(IErrorInfo, __uuidof(IErrorInfo));
_COM_SMARTPTR_TYPEDEF(ICreateErrorInfo, __uuidof(ICreateErrorInfo));
_COM_SMARTPTR_TYPEDEF(IClassFactory, __uuidof(IClassFactory));
_COM_SMARTPTR_TYPEDEF(IStream, __uuidof(IStream));

// Raises the failure an HRESULT reports, as _com_error.
inline void CheckResult(HRESULT result) {
  if (FAILED(result)) _com_issue_error(result);
}
