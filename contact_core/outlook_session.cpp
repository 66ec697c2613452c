#include "outlook_session.h"

#include <cwchar>
#include <exception>
#include <string_view>

#include "outlook_contract.h"
#include "outlook_dispatch.h"

namespace contact_core {

namespace {

// Exact comparison: same length, same code units, embedded zeros included.
bool SameCodeUnits(const _bstr_t& a, const _bstr_t& b) {
  const unsigned length = a.length();
  return length == b.length() &&
         (length == 0 || std::wmemcmp(static_cast<const wchar_t*>(a), static_cast<const wchar_t*>(b), length) == 0);
}

std::wstring_view ViewOf(const _bstr_t& text) {
  const wchar_t* units = text;
  return units == nullptr ? std::wstring_view() : std::wstring_view(units, text.length());
}

// What GetItemFromID answers for an EntryID that names no stored item, or
// that cannot be one.
bool NamesNoItem(HRESULT hr) {
  return hr == outlook::MAPI_E_NOT_FOUND || hr == outlook::MAPI_E_INVALID_ENTRYID ||
         hr == outlook::MAPI_E_OBJECT_DELETED;
}

}  // namespace

OutlookSession::~OutlookSession() = default;

bool OutlookSession::EnsureApplication() {
  if (m_Application) return true;
  IUnknownPtr application;
  if (FAILED(CoCreateInstance(outlook::CLSID_Application, nullptr, CLSCTX_ALL, IID_IUnknown,
                              reinterpret_cast<void**>(&application)))) {
    return false;
  }
  IDispatch* running = nullptr;
  if (FAILED(OleRun(application)) ||
      FAILED(application->QueryInterface(outlook::IID_Application, reinterpret_cast<void**>(&running)))) {
    return false;
  }
  m_Application.Attach(running);
  return true;
}

bool OutlookSession::EnsureNamespace() {
  if (m_Namespace) return true;
  m_Namespace = QueryOutlookInterface(
      AsObject(CallMethod(m_Application, ApplicationInterface(), "GetNamespace", {_variant_t(L"MAPI")})),
      NamespaceInterface());
  return m_Namespace != nullptr;
}

bool OutlookSession::EnsureContactsFolder() {
  if (m_ContactsFolder) return true;
  m_ContactsFolder = QueryOutlookInterface(
      AsObject(CallMethod(m_Namespace, NamespaceInterface(), "GetDefaultFolder",
                          {_variant_t(outlook::olFolderContacts)})),
      FolderInterface());
  return m_ContactsFolder != nullptr;
}

long OutlookSession::OpenContacts() {
  try {
    if (!EnsureApplication() || !EnsureNamespace() || !EnsureContactsFolder()) return 0;
    CloseItems();
    m_Items = QueryOutlookInterface(AsObject(GetProperty(m_ContactsFolder, FolderInterface(), "Items")),
                                    ItemsInterface());
  } catch (const _com_error&) {
    return 0;
  } catch (const std::exception&) {
    return 0;
  }
  if (!m_Items) return 0;
  m_CollectionNamespace = std::move(m_Namespace);
  m_CollectionFolder = std::move(m_ContactsFolder);
  m_Namespace = nullptr;
  m_ContactsFolder = nullptr;
  m_Application = nullptr;
  return AsLong(GetProperty(m_Items, ItemsInterface(), "Count"));
}

void OutlookSession::CloseItems() noexcept {
  m_Items = nullptr;
  m_CollectionNamespace = nullptr;
  m_CollectionFolder = nullptr;
  m_CollectionFolderEntryId = _bstr_t();
  m_WalkState = WalkState::Unwalked;
  m_WalkContact = nullptr;
  m_WalkEntryId.reset();
  m_WalkMovedTo.reset();
}

IDispatchPtr OutlookSession::Step(const char* method) {
  m_WalkContact = nullptr;
  m_WalkEntryId.reset();
  // Items that are not contacts (distribution lists, say) are stepped over:
  // only the end of the collection ends a walk.
  for (IDispatchPtr item = AsObject(CallMethod(m_Items, ItemsInterface(), method)); item;
       item = AsObject(CallMethod(m_Items, ItemsInterface(), "GetNext"))) {
    if (IDispatchPtr contact = QueryOutlookInterface(item, ContactInterface())) {
      m_WalkContact = contact;
      m_WalkState = WalkState::Walking;
      return contact;
    }
  }
  m_WalkState = WalkState::PastEnd;
  return nullptr;
}

IDispatchPtr OutlookSession::FirstContact() {
  if (!m_Items) return nullptr;
  m_WalkMovedTo.reset();
  return Step("GetFirst");
}

IDispatchPtr OutlookSession::NextContact() {
  if (!m_Items) return nullptr;
  if (m_WalkMovedTo) return NextContactAfterLookup();
  return Step("GetNext");
}

_bstr_t OutlookSession::EntryIdOfWalkContact() {
  if (!m_WalkContact) _com_issue_error(E_POINTER);
  if (!m_WalkEntryId) m_WalkEntryId = AsText(GetProperty(m_WalkContact, ContactInterface(), "EntryID"));
  return *m_WalkEntryId;
}

const _bstr_t& OutlookSession::CollectionFolderEntryId() {
  if (m_CollectionFolderEntryId.length() == 0) {
    m_CollectionFolderEntryId = AsText(GetProperty(m_CollectionFolder, FolderInterface(), "EntryID"));
  }
  return m_CollectionFolderEntryId;
}

IDispatchPtr OutlookSession::ContactInFolder(const _bstr_t& entry_id) {
  IDispatchPtr item;
  try {
    item = AsObject(CallMethod(m_CollectionNamespace, NamespaceInterface(), "GetItemFromID", {_variant_t(entry_id)}));
  } catch (const _com_error& error) {
    if (NamesNoItem(error.Error())) return nullptr;
    throw;
  }
  if (!item) return nullptr;
  IDispatchPtr contact = QueryOutlookInterface(item, ContactInterface());
  if (!contact) return nullptr;
  // Outlook reads the EntryID as bytes, so letter case aside the text must be
  // the contact's own; and a contact moved to another folder of the store
  // keeps its EntryID there.
  if (!SameCodeUnits(AsText(GetProperty(contact, ContactInterface(), "EntryID")), entry_id)) return nullptr;
  const IDispatchPtr parent =
      QueryOutlookInterface(AsObject(GetProperty(contact, ContactInterface(), "Parent")), FolderInterface());
  if (!parent) return nullptr;
  const _bstr_t parent_entry_id = AsText(GetProperty(parent, FolderInterface(), "EntryID"));
  if (!SameCodeUnits(parent_entry_id, CollectionFolderEntryId())) return nullptr;
  return contact;
}

bool OutlookSession::WalkIsOn(const _bstr_t& entry_id) {
  if (m_WalkMovedTo) return SameCodeUnits(*m_WalkMovedTo, entry_id);
  if (!m_WalkContact) return false;
  try {
    return SameCodeUnits(EntryIdOfWalkContact(), entry_id);
  } catch (const _com_error&) {
    // The walk's contact object no longer answers (deleted through it, say):
    // the walk is taken to be elsewhere, which is always safe.
    return false;
  }
}

void OutlookSession::LearnOrderUpTo(const _bstr_t& entry_id) {
  if (PlaceOf(entry_id)) return;
  const bool starting_over = !m_OrderWalk;
  try {
    IDispatchPtr item;
    if (!m_OrderWalk) {
      m_Places.clear();
      m_OrderWalk = QueryOutlookInterface(AsObject(GetProperty(m_CollectionFolder, FolderInterface(), "Items")),
                                          ItemsInterface());
      item = AsObject(CallMethod(m_OrderWalk, ItemsInterface(), "GetFirst"));
    } else {
      item = AsObject(CallMethod(m_OrderWalk, ItemsInterface(), "GetNext"));
    }
    for (; item; item = AsObject(CallMethod(m_OrderWalk, ItemsInterface(), "GetNext"))) {
      const IDispatchPtr contact = QueryOutlookInterface(item, ContactInterface());
      if (!contact) continue;
      const _bstr_t met = AsText(GetProperty(contact, ContactInterface(), "EntryID"));
      m_Places.try_emplace(std::wstring(ViewOf(met)), m_Places.size());
      if (SameCodeUnits(met, entry_id)) return;
    }
  } catch (const _com_error&) {
    // A walk broken off (its Outlook restarted, say) cannot be trusted to go
    // on: it starts over once, from a collection of the folder now open.
    m_OrderWalk = nullptr;
    if (starting_over) throw;
    LearnOrderUpTo(entry_id);
  }
}

std::optional<std::size_t> OutlookSession::PlaceOf(const _bstr_t& entry_id) const {
  const auto found = m_Places.find(std::wstring(ViewOf(entry_id)));
  if (found == m_Places.end()) return std::nullopt;
  return found->second;
}

void OutlookSession::MoveWalkPastEnd() {
  m_WalkMovedTo.reset();
  m_WalkEntryId.reset();
  // Where a walk to the end leaves Outlook's collection: on its last item.
  const IDispatchPtr last = AsObject(CallMethod(m_Items, ItemsInterface(), "GetLast"));
  m_WalkContact = last ? QueryOutlookInterface(last, ContactInterface()) : nullptr;
  m_WalkState = WalkState::PastEnd;
}

IDispatchPtr OutlookSession::FindContact(const _bstr_t& entry_id) {
  if (!m_Items) return nullptr;
  IDispatchPtr contact = ContactInFolder(entry_id);
  if (!contact) {
    MoveWalkPastEnd();
    return nullptr;
  }
  if (!WalkIsOn(entry_id)) {
    LearnOrderUpTo(entry_id);
    m_WalkMovedTo = entry_id;
    m_WalkContact = nullptr;
    m_WalkEntryId.reset();
  }
  m_WalkState = WalkState::Walking;
  return contact;
}

OutlookSession::WalkPlace OutlookSession::Place() const {
  WalkPlace place;
  place.places = m_Places;
  if (!m_Items) return place;
  switch (m_WalkState) {
    case WalkState::Unwalked:
      place.kind = WalkPlace::Kind::Unwalked;
      break;
    case WalkState::Walking:
      if (m_WalkMovedTo || m_WalkEntryId) {
        place.kind = WalkPlace::Kind::OnContact;
        place.entry_id = m_WalkMovedTo ? *m_WalkMovedTo : *m_WalkEntryId;
      } else {
        // On a contact whose EntryID was never read: without a call it
        // cannot be named, and a walk that went on from the top would
        // report contacts twice. The walk is taken to be over.
        place.kind = WalkPlace::Kind::PastEnd;
      }
      break;
    case WalkState::PastEnd:
      place.kind = WalkPlace::Kind::PastEnd;
      break;
  }
  return place;
}

void OutlookSession::ContinueWalkFrom(const WalkPlace& place) {
  if (place.kind == WalkPlace::Kind::Closed) {
    CloseItems();
    return;
  }
  // A fresh collection stands at the top: where an unwalked one is, and
  // where the others are moved from.
  OpenContacts();
  if (!m_Items) return;
  m_Places = place.places;
  m_OrderWalk = nullptr;
  switch (place.kind) {
    case WalkPlace::Kind::OnContact:
      m_WalkMovedTo = place.entry_id;
      m_WalkState = WalkState::Walking;
      break;
    case WalkPlace::Kind::PastEnd:
      MoveWalkPastEnd();
      break;
    default:
      break;
  }
}

IDispatchPtr OutlookSession::NextContactAfterLookup() {
  const _bstr_t target = *m_WalkMovedTo;
  m_WalkMovedTo.reset();
  // A walk to the contact: it goes on after it. When the contact has gone
  // meanwhile, the walk goes on at the first contact that did not come
  // before it, which the order learnt tells: a contact the order walk has
  // not met comes after it.
  const bool target_stored = ContactInFolder(target) != nullptr;
  const auto target_place = PlaceOf(target);
  for (IDispatchPtr contact = Step("GetFirst"); contact; contact = Step("GetNext")) {
    const _bstr_t entry_id = EntryIdOfWalkContact();
    if (SameCodeUnits(entry_id, target)) return Step("GetNext");
    if (target_stored) continue;
    const auto place = PlaceOf(entry_id);
    const bool came_before = place && (!target_place || *place < *target_place);
    if (!came_before) return contact;
  }
  return nullptr;
}

long OutlookSession::GetContactCount() {
  if (!m_Items) return 0;
  return AsLong(GetProperty(m_Items, ItemsInterface(), "Count"));
}

IDispatchPtr OutlookSession::AddContact() {
  if (!m_Items) _com_issue_error(E_POINTER);
  return QueryOutlookInterface(AsObject(CallMethod(m_Items, ItemsInterface(), "Add", {OmittedArgument()})),
                               ContactInterface());
}

DATE OutlookSession::LatestModificationTime() {
  DATE latest = 0.0;
  if (!m_Items) return latest;
  // A collection of its own, latest first: its first contact is the one.
  const IDispatchPtr by_time =
      QueryOutlookInterface(AsObject(GetProperty(m_CollectionFolder, FolderInterface(), "Items")), ItemsInterface());
  CallMethod(by_time, ItemsInterface(), "Sort", {_variant_t(L"[LastModificationTime]"), _variant_t(true)});
  for (IDispatchPtr item = AsObject(CallMethod(by_time, ItemsInterface(), "GetFirst")); item;
       item = AsObject(CallMethod(by_time, ItemsInterface(), "GetNext"))) {
    if (const IDispatchPtr contact = QueryOutlookInterface(item, ContactInterface())) {
      latest = AsDate(GetProperty(contact, ContactInterface(), "LastModificationTime"));
      break;
    }
  }
  MoveWalkPastEnd();
  return latest;
}

}  // namespace contact_core
