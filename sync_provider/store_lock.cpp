#include "store_lock.h"

#include "com_support.h"

namespace pelloquin {

bool StoreMutex::Open() {
  if (handle_ == nullptr) handle_ = CreateMutexW(nullptr, FALSE, kStoreLockName);
  return handle_ != nullptr;
}

void StoreMutex::Close() {
  if (handle_ != nullptr) CloseHandle(handle_);
  handle_ = nullptr;
}

StoreLock::StoreLock(const StoreMutex& mutex) : held_(mutex.Handle()) {
  if (held_ == nullptr) _com_issue_error(E_UNEXPECTED);
  const DWORD outcome = WaitForSingleObject(held_, kStoreLockTimeoutMs);
  if (outcome == WAIT_OBJECT_0 || outcome == WAIT_ABANDONED) return;
  _com_issue_error(outcome == WAIT_TIMEOUT ? HRESULT_FROM_WIN32(ERROR_TIMEOUT) : HRESULT_FROM_WIN32(GetLastError()));
}

StoreLock::~StoreLock() { ReleaseMutex(held_); }

}  // namespace pelloquin
