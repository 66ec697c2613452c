// Where errors cross into COM. Every COM method of the provider runs its work
// through GuardedCall, so no C++ exception leaves the library: an Outlook
// failure becomes its own HRESULT, a failed allocation E_OUTOFMEMORY, any
// other exception E_FAIL. Locks, handles and contacts are RAII objects inside
// the work, so they are released while the exception unwinds.
#pragma once

#include "com_support.h"

#include <exception>
#include <new>
#include <type_traits>

namespace pelloquin {

// `work` answers an HRESULT, or nothing (S_OK).
template <class Work>
HRESULT GuardedCall(Work&& work) noexcept {
  try {
    if constexpr (std::is_void_v<std::invoke_result_t<Work&>>) {
      work();
      return S_OK;
    } else {
      return work();
    }
  } catch (const _com_error& error) {
    return FAILED(error.Error()) ? error.Error() : E_FAIL;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace pelloquin
