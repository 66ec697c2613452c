// The client's end of the private control object: steers a stand-in that
// runs in another process (OutlookStandin.exe, the local server), from any
// thread of this process on which COM is initialised.
#pragma once

#include <windows.h>

#include "com_pointers.h"

#include <filesystem>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>

#include "outlook_standin.h"

namespace outlook_standin {

class RemoteControl {
 public:
  // Connects to the local server, which COM starts when none runs, and keeps
  // it running while this lives. Must be destroyed on the same thread.
  RemoteControl();
  RemoteControl(const RemoteControl&) = delete;
  RemoteControl& operator=(const RemoteControl&) = delete;

  // Binds the server's folder to `file`, now and on every new server.
  void UseStoreFile(const std::filesystem::path& file);
  void ResetCallCounts();
  long CallCount(OutlookCall call, const std::optional<std::wstring>& member);
  void ArmFault(const Fault& fault);
  void DisarmFaults();
  long LiveObjectCount();
  void WatchCallerLock(const std::wstring& name);
  long CallsWithoutLock();
  void RestartOutlook();
  DWORD ProcessId();

 private:
  // A control object for the calling apartment: the one kept, on the thread
  // that made it, else a new one. A new server is bound to the store file.
  IDispatchPtr Control(bool replaceKept);
  // Calls `name`; a call that fails because the server has gone (killed, say)
  // is made once more on a new server.
  _variant_t Call(const wchar_t* name, std::initializer_list<_variant_t> arguments);

  const DWORD ownerThread_ = GetCurrentThreadId();
  std::mutex mutex_;
  IDispatchPtr kept_;  // keeps the server running; used on ownerThread_ only
  DWORD boundServer_ = 0;
  std::optional<std::filesystem::path> storeFile_;
};

}  // namespace outlook_standin
