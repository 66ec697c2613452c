#include "mutex_ownership.h"

#include <windows.h>

#include <optional>

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

// The mutex's state, or nothing when it does not exist or cannot be asked.
std::optional<MutantBasicInformation> QueryNamedMutex(const std::wstring& name) {
  const QueryMutant query = TheQueryMutant();
  if (query == nullptr) return std::nullopt;
  const HANDLE mutex = OpenMutexW(kMutantQueryState, FALSE, name.c_str());
  if (mutex == nullptr) return std::nullopt;
  MutantBasicInformation information{};
  const bool answered = query(mutex, 0, &information, sizeof information, nullptr) >= 0;
  CloseHandle(mutex);
  if (!answered) return std::nullopt;
  return information;
}

}  // namespace

bool CallerOwnsNamedMutex(const std::wstring& name) {
  const auto state = QueryNamedMutex(name);
  return state && state->ownedByCaller;
}

// A free mutex counts 1; an owned one 1 minus its owner's recursion count.
bool SomeoneOwnsNamedMutex(const std::wstring& name) {
  const auto state = QueryNamedMutex(name);
  return state && state->currentCount < 1;
}

}  // namespace outlook_standin
