// The connection to Outlook's default Contacts folder: the only way into
// Outlook's contacts for both deliverables.
//
// Between calls the session holds at most the folder's item collection; the
// application, namespace and folder are held only while attaching. Outlook
// keeps one walk position per collection object, and every walking operation
// of a session uses its one collection, so they all share that position: a
// caller that looks a contact up inside its own walk continues from where the
// look-up stopped. Two threads must never walk one session at the same time.
//
// COM must be initialised on the calling thread. A contact handed out is an
// owned reference. Outlook failures raise _com_error (see outlook_dispatch.h);
// only OpenContacts stops them.
#pragma once

#include "com_support.h"
#include <windows.h>

namespace contact_core {

class OutlookSession {
 public:
  OutlookSession() = default;
  virtual ~OutlookSession();
  OutlookSession(const OutlookSession&) = delete;
  OutlookSession& operator=(const OutlookSession&) = delete;

  // Attaches to Outlook anew and opens a fresh collection of the Contacts
  // folder. Answers the number of items in the folder (contacts or not), 0 on
  // failure. When attaching fails, whatever was held before stays held.
  long OpenContacts();
  // Walks the held collection to its end and releases it; released also when
  // Outlook fails during the walk, which then raises.
  void CloseItems();

  // The walk over the contacts: items that are not contacts are passed over,
  // and null means the end of the collection.
  IDispatchPtr FirstContact();
  IDispatchPtr NextContact();
  // The contact whose EntryID equals `entry_id` exactly (same length and code
  // units, case-sensitive), walking from the first contact; null if none.
  IDispatchPtr FindContact(const _bstr_t& entry_id);
  long GetContactCount();
  // A new, unsaved contact; raises E_POINTER when no collection is open.
  IDispatchPtr AddContact();
  // The latest LastModificationTime of any contact; 0.0 for none.
  DATE LatestModificationTime();

  bool HasOpenCollection() const { return m_Items != nullptr; }

 private:
  bool EnsureApplication();
  bool EnsureNamespace();
  bool EnsureContactsFolder();
  IDispatchPtr ContactFromWalk(const char* method);

  IDispatchPtr m_Application;
  IDispatchPtr m_Namespace;
  IDispatchPtr m_ContactsFolder;
  IDispatchPtr m_Items;
};

}  // namespace contact_core
