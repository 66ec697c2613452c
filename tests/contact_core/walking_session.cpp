#include "walking_session.h"

#include <cwchar>

#include "outlook_contract.h"
#include "outlook_dispatch.h"

namespace contact_core {

long WalkingSession::OpenContacts() {
  IDispatchPtr application;
  if (FAILED(CoCreateInstance(outlook::CLSID_Application, nullptr, CLSCTX_ALL, outlook::IID_Application,
                              reinterpret_cast<void**>(&application)))) {
    return 0;
  }
  const IDispatchPtr name_space = QueryOutlookInterface(
      AsObject(CallMethod(application, ApplicationInterface(), "GetNamespace", {_variant_t(L"MAPI")})),
      NamespaceInterface());
  const IDispatchPtr folder = QueryOutlookInterface(
      AsObject(CallMethod(name_space, NamespaceInterface(), "GetDefaultFolder", {_variant_t(outlook::olFolderContacts)})),
      FolderInterface());
  m_Items = QueryOutlookInterface(AsObject(GetProperty(folder, FolderInterface(), "Items")), ItemsInterface());
  return GetContactCount();
}

IDispatchPtr WalkingSession::Step(const char* method) {
  if (!m_Items) return nullptr;
  for (IDispatchPtr item = AsObject(CallMethod(m_Items, ItemsInterface(), method)); item;
       item = AsObject(CallMethod(m_Items, ItemsInterface(), "GetNext"))) {
    if (IDispatchPtr contact = QueryOutlookInterface(item, ContactInterface())) return contact;
  }
  return nullptr;
}

IDispatchPtr WalkingSession::FirstContact() { return Step("GetFirst"); }

IDispatchPtr WalkingSession::NextContact() { return Step("GetNext"); }

IDispatchPtr WalkingSession::FindContact(const _bstr_t& entry_id) {
  for (IDispatchPtr contact = FirstContact(); contact; contact = NextContact()) {
    const _bstr_t candidate = AsText(GetProperty(contact, ContactInterface(), "EntryID"));
    if (candidate.length() == entry_id.length() &&
        (entry_id.length() == 0 ||
         std::wmemcmp(static_cast<const wchar_t*>(candidate), static_cast<const wchar_t*>(entry_id), entry_id.length()) == 0)) {
      return contact;
    }
  }
  return nullptr;
}

long WalkingSession::GetContactCount() {
  return m_Items ? AsLong(GetProperty(m_Items, ItemsInterface(), "Count")) : 0;
}

DATE WalkingSession::LatestModificationTime() {
  DATE latest = 0.0;
  for (IDispatchPtr contact = FirstContact(); contact; contact = NextContact()) {
    const DATE modified = AsDate(GetProperty(contact, ContactInterface(), "LastModificationTime"));
    if (modified > latest) latest = modified;
  }
  return latest;
}

}  // namespace contact_core
