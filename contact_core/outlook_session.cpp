#include "outlook_session.h"

#include <cwchar>
#include <exception>

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

}  // namespace

OutlookSession::~OutlookSession() {
  try {
    CloseItems();
  } catch (...) {
    // Outlook failed during the closing walk, which lets go of the collection
    // all the same; a destructor must not throw.
  }
  m_ContactsFolder = nullptr;
  m_Namespace = nullptr;
  m_Application = nullptr;
}

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
  m_ContactsFolder = nullptr;
  m_Namespace = nullptr;
  m_Application = nullptr;
  return AsLong(GetProperty(m_Items, ItemsInterface(), "Count"));
}

void OutlookSession::CloseItems() {
  if (!m_Items) return;
  // Let go of even when the walk raises: a collection whose Outlook has gone
  // away fails every call, and held on to it would fail every later one.
  struct LetGo {
    IDispatchPtr& items;
    ~LetGo() { items = nullptr; }
  } let_go{m_Items};
  for (IDispatchPtr contact = FirstContact(); contact; contact = NextContact()) {
  }
}

IDispatchPtr OutlookSession::ContactFromWalk(const char* method) {
  if (!m_Items) return nullptr;
  // Items that are not contacts (distribution lists, say) are stepped over:
  // only the end of the collection ends a walk.
  for (IDispatchPtr item = AsObject(CallMethod(m_Items, ItemsInterface(), method)); item;
       item = AsObject(CallMethod(m_Items, ItemsInterface(), "GetNext"))) {
    if (IDispatchPtr contact = QueryOutlookInterface(item, ContactInterface())) return contact;
  }
  return nullptr;
}

IDispatchPtr OutlookSession::FirstContact() { return ContactFromWalk("GetFirst"); }

IDispatchPtr OutlookSession::NextContact() { return ContactFromWalk("GetNext"); }

IDispatchPtr OutlookSession::FindContact(const _bstr_t& entry_id) {
  if (!m_Items) return nullptr;
  for (IDispatchPtr contact = FirstContact(); contact; contact = NextContact()) {
    const _bstr_t candidate = AsText(GetProperty(contact, ContactInterface(), "EntryID"));
    if (SameCodeUnits(candidate, entry_id)) return contact;
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
  for (IDispatchPtr contact = FirstContact(); contact; contact = NextContact()) {
    const DATE modified = AsDate(GetProperty(contact, ContactInterface(), "LastModificationTime"));
    if (modified > latest) latest = modified;
  }
  return latest;
}

}  // namespace contact_core
