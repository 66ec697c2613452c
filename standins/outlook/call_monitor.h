// Counts the calls clients make into the stand-in and fails the ones that a
// test armed a fault for.
#pragma once

#include <windows.h>

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "outlook_standin.h"

namespace outlook_standin {

class CallMonitor {
 public:
  // Counts one call of `call` naming `member` (the property, method or
  // looked-up name) and throws the ComFailure of a fault it triggers.
  void Observe(OutlookCall call, std::wstring_view member);

  void ResetCounts();
  long Count(OutlookCall call) const;
  long Count(OutlookCall call, std::wstring_view member) const;

  void Arm(const Fault& fault);
  void Disarm();

  // Who must hold the watched lock during a call: the calling thread, or,
  // when the callers are in other processes (the local server), any thread.
  enum class LockHolder { CallingThread, AnyThread };
  // From now on every observed call checks that `holder` owns the named
  // mutex `name`; an empty name stops the checking.
  void WatchCallerLock(std::wstring name, LockHolder holder = LockHolder::CallingThread);
  long CallsWithoutLock() const;

 private:
  struct ArmedFault {
    Fault fault;
    long matchingCalls = 0;
  };
  static constexpr std::size_t kCallKinds = static_cast<std::size_t>(kLastOutlookCall) + 1;

  std::array<volatile LONG, kCallKinds> totals_{};
  std::map<std::pair<OutlookCall, std::wstring>, long> perMember_;
  std::vector<ArmedFault> faults_;
  std::wstring watchedLock_;
  LockHolder watchedHolder_ = LockHolder::CallingThread;
  volatile LONG callsWithoutLock_ = 0;
};

CallMonitor& TheCallMonitor();

}  // namespace outlook_standin
