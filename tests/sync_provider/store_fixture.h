// What the store tests share: a store created through the library's class
// factory and initialised, over a folder of the Outlook stand-in, with the
// handles a test receives freed at its end and a check that nothing leaked:
// no handle object, no Outlook object, no hold on the store lock.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com_support.h"
#include "outlook_test_environment.h"
#include "service_manager_contract.h"

_COM_SMARTPTR_TYPEDEF(IReplStore, __uuidof(IReplStore));

namespace pelloquin::test {

// A new store through DllGetClassObject and CreateInstance; not initialised.
IReplStorePtr NewStore();

// Whether a thread other than the caller's obtains the store lock without
// waiting. The lock is recursive, so only another thread can tell whether the
// caller's thread still holds it.
bool AnotherThreadGetsTheLockAtOnce();

// Changes the stand-in's folder behind the store's back, as a user editing
// in Outlook would.
void SetModificationTime(const std::wstring& entry_id, double time);
void RemoveFromFolder(const std::wstring& entry_id);

// Collects the trace texts while alive.
class TraceRecorder {
 public:
  TraceRecorder();
  ~TraceRecorder();
  TraceRecorder(const TraceRecorder&) = delete;
  TraceRecorder& operator=(const TraceRecorder&) = delete;
  // The texts so far, emptied.
  std::vector<std::string> Take();
};

// Holds the store lock on a thread of its own until destroyed.
class LockHeldElsewhere {
 public:
  LockHeldElsewhere();
  ~LockHeldElsewhere();
  LockHeldElsewhere(const LockHeldElsewhere&) = delete;
  LockHeldElsewhere& operator=(const LockHeldElsewhere&) = delete;

 private:
  HANDLE release_event_;
  HANDLE thread_;
};

class StoreTest : public test_support::OutlookTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The handle, to be freed through the store when the test ends.
  template <class Handle>
  Handle Own(Handle handle) {
    if (handle != nullptr) owned_.push_back(reinterpret_cast<HREPLOBJ>(handle));
    return handle;
  }
  // The store's folder handle and handler, from GetFolderInfo.
  HREPLFLD Folder();
  IReplObjHandler* Handler();
  // Every item FindFirstItem / FindNextItem yields, in order.
  std::vector<HREPLITEM> EnumerateAll();
  // The item handle of the contact with this EntryID, as enumerated.
  HREPLITEM ItemFor(const std::wstring& entry_id);
  // Makes the store read the folder (as the service manager's first
  // IsFolderChanged does), so that its item collection is open.
  void ReadFolder();

  IReplStorePtr store_;

 private:
  std::vector<HREPLOBJ> owned_;
  HREPLFLD folder_ = nullptr;
  IReplObjHandler* handler_ = nullptr;
  long handles_before_ = 0;
  long outlook_objects_before_ = 0;
};

}  // namespace pelloquin::test
