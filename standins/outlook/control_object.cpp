// The private control object: what a test steers the stand-in with when the
// stand-in runs in another process (the local server). Its calls are not
// Outlook calls: they are neither counted nor subject to armed faults, and it
// is not among the live Outlook objects.
#include <array>

#include "call_monitor.h"
#include "com_failure.h"
#include "contacts_folder.h"
#include "dispatch_object.h"
#include "outlook_objects.h"

namespace outlook_standin {
namespace {

// {75D141C1-9107-4B8A-BD6E-DC38B9264BEF}; clients reach it through IDispatch.
constexpr GUID kControlInterfaceId{0x75d141c1, 0x9107, 0x4b8a, {0xbd, 0x6e, 0xdc, 0x38, 0xb9, 0x26, 0x4b, 0xef}};

enum ControlMember : DISPID {
  kUseStoreFile = 1,
  kStoreFile,
  kResetCallCounts,
  kCallCount,
  kArmFault,
  kDisarmFaults,
  kLiveObjectCount,
  kProcessId,
  kWatchCallerLock,
  kCallsWithoutLock,
  kRestartOutlook,
};

// The counted-call field of a private member is never used.
constexpr OutlookCall kUncounted = OutlookCall::CreateApplication;
constexpr std::array<Member, 11> kMembers{{
    {L"UseStoreFile", kUseStoreFile, MemberAccess::Method, kUncounted},
    {L"StoreFile", kStoreFile, MemberAccess::Read, kUncounted},
    {L"ResetCallCounts", kResetCallCounts, MemberAccess::Method, kUncounted},
    {L"CallCount", kCallCount, MemberAccess::Method, kUncounted},
    {L"ArmFault", kArmFault, MemberAccess::Method, kUncounted},
    {L"DisarmFaults", kDisarmFaults, MemberAccess::Method, kUncounted},
    {L"LiveObjectCount", kLiveObjectCount, MemberAccess::Read, kUncounted},
    {L"ProcessId", kProcessId, MemberAccess::Read, kUncounted},
    {L"WatchCallerLock", kWatchCallerLock, MemberAccess::Method, kUncounted},
    {L"CallsWithoutLock", kCallsWithoutLock, MemberAccess::Read, kUncounted},
    {L"RestartOutlook", kRestartOutlook, MemberAccess::Method, kUncounted},
}};

OutlookCall CallNamed(long value) {
  if (value < 0 || value > static_cast<long>(kLastOutlookCall)) throw DispatchRefusal{E_INVALIDARG};
  return static_cast<OutlookCall>(value);
}

class Control final : public DispatchObject {
 public:
  Control() : DispatchObject(kControlInterfaceId, kMembers, Monitoring::Private) {}

 private:
  void Perform(const Member& member, Operation, const DISPPARAMS& params, VARIANT* result) override {
    switch (member.id) {
      case kUseStoreFile: {
        const auto file = Arguments::ForCall(params, 1, 1).Text(0);
        const auto lock = LockStandin();
        TheContactsFolder().Bind(lock, file);
        return;
      }
      case kStoreFile: {
        Arguments::ForCall(params, 0, 0);
        const auto lock = LockStandin();
        ReturnText(result, TheContactsFolder().File(lock).wstring());
        return;
      }
      case kResetCallCounts:
        Arguments::ForCall(params, 0, 0);
        TheCallMonitor().ResetCounts();
        return;
      case kCallCount: {
        const auto arguments = Arguments::ForCall(params, 1, 2);
        const OutlookCall call = CallNamed(arguments.Long(0));
        ReturnLong(result, arguments.Has(1) ? TheCallMonitor().Count(call, arguments.Text(1))
                                            : TheCallMonitor().Count(call));
        return;
      }
      case kArmFault: {
        const auto arguments = Arguments::ForCall(params, 7, 7);
        TheCallMonitor().Arm(Fault{CallNamed(arguments.Long(0)), static_cast<HRESULT>(arguments.Long(1)),
                                   arguments.Long(2), arguments.Text(3), arguments.Long(4) != 0,
                                   arguments.Long(5) != 0, arguments.Long(6) != 0});
        return;
      }
      case kDisarmFaults:
        Arguments::ForCall(params, 0, 0);
        TheCallMonitor().Disarm();
        return;
      case kLiveObjectCount:
        Arguments::ForCall(params, 0, 0);
        ReturnLong(result, LiveDispatchObjects());
        return;
      case kProcessId:
        Arguments::ForCall(params, 0, 0);
        ReturnLong(result, static_cast<long>(GetCurrentProcessId()));
        return;
      case kWatchCallerLock:
        // The callers are in other processes: this process can only see
        // that somebody holds their lock.
        TheCallMonitor().WatchCallerLock(Arguments::ForCall(params, 1, 1).Text(0),
                                         CallMonitor::LockHolder::AnyThread);
        return;
      case kCallsWithoutLock:
        Arguments::ForCall(params, 0, 0);
        ReturnLong(result, TheCallMonitor().CallsWithoutLock());
        return;
      case kRestartOutlook:
        Arguments::ForCall(params, 0, 0);
        DisconnectEveryObject();
        return;
    }
  }
};

}  // namespace

IDispatchPtr NewControl() { return MakeObject<Control>(); }

}  // namespace outlook_standin
