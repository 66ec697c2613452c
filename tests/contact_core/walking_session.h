// The session's look-ups as they were before Outlook was asked for items by
// EntryID: every look-up walks the collection from its first item, and the
// latest modification time walks all of it. Kept as the reference that the
// session's answers are compared with.
#pragma once

#include "com_support.h"
#include <windows.h>

namespace contact_core {

class WalkingSession {
 public:
  long OpenContacts();
  IDispatchPtr FirstContact();
  IDispatchPtr NextContact();
  IDispatchPtr FindContact(const _bstr_t& entry_id);
  long GetContactCount();
  DATE LatestModificationTime();

 private:
  IDispatchPtr Step(const char* method);

  IDispatchPtr m_Items;
};

}  // namespace contact_core
