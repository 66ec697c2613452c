#include "call_monitor.h"

#include <optional>
#include <utility>

#include "ascii_case.h"
#include "com_failure.h"
#include "mutex_ownership.h"
#include "standin_lock.h"

namespace outlook_standin {
namespace {

std::size_t IndexOf(OutlookCall call) { return static_cast<std::size_t>(call); }

bool Matches(const Fault& fault, OutlookCall call, std::wstring_view member) {
  if (fault.call != call) return false;
  if (fault.property.empty()) return true;
  return (call == OutlookCall::PropertyGet || call == OutlookCall::PropertyPut) &&
         EqualsIgnoringAsciiCase(fault.property, member);
}

}  // namespace

void CallMonitor::Observe(OutlookCall call, std::wstring_view member) {
  InterlockedIncrement(&totals_[IndexOf(call)]);
  std::wstring watched;
  LockHolder holder = LockHolder::CallingThread;
  {
    const auto lock = LockStandin();
    watched = watchedLock_;
    holder = watchedHolder_;
  }
  if (!watched.empty()) {
    const bool held =
        holder == LockHolder::CallingThread ? CallerOwnsNamedMutex(watched) : SomeoneOwnsNamedMutex(watched);
    if (!held) InterlockedIncrement(&callsWithoutLock_);
  }
  std::optional<Fault> triggered;
  {
    const auto lock = LockStandin();
    ++perMember_[{call, AsciiLowered(member)}];
    for (auto& armed : faults_) {
      if (!Matches(armed.fault, call, member)) continue;
      const long seen = ++armed.matchingCalls;
      const bool fires = seen == armed.fault.occurrence || (armed.fault.sticky && seen > armed.fault.occurrence);
      if (fires && !triggered) triggered = armed.fault;
    }
  }
  if (triggered && triggered->endsProcess) TerminateProcess(GetCurrentProcess(), kEndedByFault);
  if (triggered) {
    throw ComFailure(triggered->result, L"Outlook stand-in: injected failure of " + std::wstring(member),
                     triggered->asException);
  }
}

void CallMonitor::ResetCounts() {
  const auto lock = LockStandin();
  for (auto& total : totals_) InterlockedExchange(&total, 0);
  perMember_.clear();
}

long CallMonitor::Count(OutlookCall call) const {
  return InterlockedCompareExchange(const_cast<volatile LONG*>(&totals_[IndexOf(call)]), 0, 0);
}

long CallMonitor::Count(OutlookCall call, std::wstring_view member) const {
  const auto lock = LockStandin();
  const auto found = perMember_.find({call, AsciiLowered(member)});
  return found == perMember_.end() ? 0 : found->second;
}

void CallMonitor::Arm(const Fault& fault) {
  const auto lock = LockStandin();
  faults_.push_back({fault});
}

void CallMonitor::Disarm() {
  const auto lock = LockStandin();
  faults_.clear();
}

void CallMonitor::WatchCallerLock(std::wstring name, LockHolder holder) {
  const auto lock = LockStandin();
  watchedLock_ = std::move(name);
  watchedHolder_ = holder;
  InterlockedExchange(&callsWithoutLock_, 0);
}

long CallMonitor::CallsWithoutLock() const {
  return InterlockedCompareExchange(const_cast<volatile LONG*>(&callsWithoutLock_), 0, 0);
}

CallMonitor& TheCallMonitor() {
  static CallMonitor monitor;
  return monitor;
}

}  // namespace outlook_standin
