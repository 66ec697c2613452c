#include "restarting_duplicate_scan.h"

#include "outlook_dispatch.h"
#include "store_lock.h"

namespace pelloquin::test {

void RemoveDuplicatesByRestartingScan(CStore& store) {
  const StoreLock lock(store.LockMutex());
  contact_core::OutlookSession& session = store.Session();
  IDispatchPtr current = session.FirstContact();
  long position = 0;
  while (current) {
    if (store.IsDuplicate(current, position)) {
      contact_core::CallMethod(current, contact_core::ContactInterface(), "Delete");
      session.OpenContacts();
      current = session.FirstContact();
      position = 0;
    } else {
      current = session.NextContact();
      ++position;
    }
  }
}

}  // namespace pelloquin::test
