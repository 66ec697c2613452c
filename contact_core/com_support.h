// COM smart pointers and error support. mingw-w64's comdef.h leaves the
// standard interface pointer typedefs to comdefsp.h, which GCC builds skip,
// so the ones this project uses are declared here, once.
#pragma once

#include <comdef.h>

_COM_SMARTPTR_TYPEDEF(IUnknown, __uuidof(IUnknown));
_COM_SMARTPTR_TYPEDEF(IDispatch, __uuidof(IDispatch));
_COM_SMARTPTR_TYPEDEF(IErrorInfo, __uuidof(IErrorInfo));
_COM_SMARTPTR_TYPEDEF(ISupportErrorInfo, __uuidof(ISupportErrorInfo));
_COM_SMARTPTR_TYPEDEF(IClassFactory, __uuidof(IClassFactory));
