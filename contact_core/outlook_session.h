// The connection to Outlook's default Contacts folder: the only way into
// Outlook's contacts for both deliverables.
//
// The session holds the folder's item collection, with the namespace and
// folder it came from. Outlook keeps one walk position per collection object,
// and every walking operation of a session uses its one collection, so they
// all share that position: a caller that looks a contact up inside its own
// walk continues from where the look-up left the walk (on the contact found,
// or past the end). Two threads must never walk one session at the same time.
//
// A look-up by EntryID asks Outlook for the item directly instead of walking
// to it; the walk position it leaves is kept by the session and Outlook's
// collection is moved there only when the walk goes on from it. So that the
// walk can go on from a contact deleted meanwhile, the session learns the
// folder's order, as far as its look-ups need, from a walk of a collection of
// its own that only ever moves forward: Outlook keeps a folder's items in a
// stable order and gives a new item a place after every existing one, so a
// contact that walk has not met lies after every contact it has.
//
// COM must be initialised on the calling thread. A contact handed out is an
// owned reference. Outlook failures raise _com_error (see outlook_dispatch.h);
// only OpenContacts stops them.
#pragma once

#include "com_support.h"
#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>

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
  // Lets go of the collection without a call to Outlook, so it cannot fail
  // even when the Outlook that served it has gone.
  void CloseItems() noexcept;

  // The walk over the contacts: items that are not contacts are passed over,
  // and null means the end of the collection.
  IDispatchPtr FirstContact();
  IDispatchPtr NextContact();
  // The EntryID of the contact the walk is on, the one FirstContact or
  // NextContact returned last; read from Outlook once. Raises E_POINTER when
  // the walk is on no contact.
  _bstr_t EntryIdOfWalkContact();
  // The contact whose EntryID equals `entry_id` exactly (same length and code
  // units, case-sensitive) and that lies in the collection's folder; null if
  // none. The walk is then on it, or past the end when there is none.
  IDispatchPtr FindContact(const _bstr_t& entry_id);
  long GetContactCount();
  // A new, unsaved contact; raises E_POINTER when no collection is open.
  IDispatchPtr AddContact();
  // The latest LastModificationTime of any contact; 0.0 for none. The walk
  // is past the end afterwards.
  DATE LatestModificationTime();

  bool HasOpenCollection() const { return m_Items != nullptr; }

  // Where the walk is, in a form another session can go on from: no
  // collection open, a collection not yet walked, on a contact, or past the
  // end, with the folder order learnt so far. Read without a call into
  // Outlook, so any thread may ask (under the owner's own serialisation).
  struct WalkPlace {
    enum class Kind { Closed, Unwalked, OnContact, PastEnd };
    Kind kind = Kind::Closed;
    _bstr_t entry_id;  // of the contact, for OnContact
    std::unordered_map<std::wstring, std::size_t> places;
  };
  WalkPlace Place() const;
  // Goes on with a walk that another session left at `place`, through this
  // session's own collection (opened when none is): a proxy answers only in
  // the apartment that made it, so a walk changes threads this way.
  void ContinueWalkFrom(const WalkPlace& place);

 private:
  enum class WalkState { Unwalked, Walking, PastEnd };

  bool EnsureApplication();
  bool EnsureNamespace();
  bool EnsureContactsFolder();
  // Steps Outlook's collection with `method` and on past items that are not
  // contacts; the walk is then on the contact returned.
  IDispatchPtr Step(const char* method);
  // The contact with this EntryID in the collection's folder, asked of
  // Outlook directly; the walk position does not move.
  IDispatchPtr ContactInFolder(const _bstr_t& entry_id);
  const _bstr_t& CollectionFolderEntryId();
  bool WalkIsOn(const _bstr_t& entry_id);
  // Walks the order collection on until it has met `entry_id`, or to its end.
  void LearnOrderUpTo(const _bstr_t& entry_id);
  std::optional<std::size_t> PlaceOf(const _bstr_t& entry_id) const;
  void MoveWalkPastEnd();
  // Moves Outlook's collection to where a look-up left the walk, then on to
  // the next contact, which it returns.
  IDispatchPtr NextContactAfterLookup();

  // Held while attaching.
  IDispatchPtr m_Application;
  IDispatchPtr m_Namespace;
  IDispatchPtr m_ContactsFolder;

  // The open collection and where it came from.
  IDispatchPtr m_Items;
  IDispatchPtr m_CollectionNamespace;
  IDispatchPtr m_CollectionFolder;
  _bstr_t m_CollectionFolderEntryId;

  // The contact Outlook's collection is on, when its last step gave one,
  // and that contact's EntryID once read.
  WalkState m_WalkState = WalkState::Unwalked;
  IDispatchPtr m_WalkContact;
  std::optional<_bstr_t> m_WalkEntryId;
  // Set when a look-up moved the walk onto another contact than Outlook's
  // collection is on: that contact's EntryID.
  std::optional<_bstr_t> m_WalkMovedTo;
  // The collection whose walk teaches the folder's order, and the place of
  // each contact it has met, counted from its first.
  IDispatchPtr m_OrderWalk;
  std::unordered_map<std::wstring, std::size_t> m_Places;
};

}  // namespace contact_core
