#include "mutex_ownership.h"

#include <windows.h>

namespace outlook_standin {
namespace {

// NtQueryMutant's MutantBasicInformation: the only documented-enough way to
// tell the owner of a mutex from every other thread without waiting on it.
struct MutantBasicInformation {
  LONG currentCount;
  BOOLEAN ownedByCaller;
  BOOLEAN abandonedState;
};
using QueryMutant = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
constexpr DWORD kMutantQueryState = 0x0001;

QueryMutant TheQueryMutant() {
  static const auto query = reinterpret_cast<QueryMutant>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryMutant")));
  return query;
}

}  // namespace

bool CallerOwnsNamedMutex(const std::wstring& name) {
  const QueryMutant query = TheQueryMutant();
  if (query == nullptr) return false;
  const HANDLE mutex = OpenMutexW(kMutantQueryState, FALSE, name.c_str());
  if (mutex == nullptr) return false;
  MutantBasicInformation information{};
  const bool owned = query(mutex, 0, &information, sizeof information, nullptr) >= 0 && information.ownedByCaller;
  CloseHandle(mutex);
  return owned;
}

}  // namespace outlook_standin
