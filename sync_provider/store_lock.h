// The store lock: the named mutex "PelloquinMutex", shared by every store of
// every process in the logon session, so that no two threads ever work on
// Outlook data through the provider at once.
#pragma once

#include <windows.h>

namespace pelloquin {

inline constexpr wchar_t kStoreLockName[] = L"PelloquinMutex";
inline constexpr DWORD kStoreLockTimeoutMs = 5000;

// Owns this store's handle to the named mutex.
class StoreMutex {
 public:
  StoreMutex() = default;
  ~StoreMutex() { Close(); }
  StoreMutex(const StoreMutex&) = delete;
  StoreMutex& operator=(const StoreMutex&) = delete;

  // Opens (or first creates) the mutex unless this store already holds it.
  bool Open();
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }
  HANDLE Handle() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

// Holds the lock for its lifetime. Waits at most kStoreLockTimeoutMs; a mutex
// abandoned by a thread that ended while holding it counts as acquired. When
// the lock cannot be had (time-out, or no mutex because the store is not
// initialised) the constructor raises _com_error, so the operation fails
// before it touches Outlook.
class StoreLock {
 public:
  explicit StoreLock(const StoreMutex& mutex);
  ~StoreLock();
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

 private:
  HANDLE held_;
};

}  // namespace pelloquin
