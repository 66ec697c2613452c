// Conflicts between the desktop and the device version of a contact:
// GetConflictInfo names both versions for the service manager to show, or
// tells it that they are the same contact.
#include <string>

#include "ansi_text.h"
#include "com_boundary.h"
#include "contact_identity.h"
#include "store.h"
#include "trace_hook.h"

namespace pelloquin {

namespace {

constexpr char kObjectTypeName[] = "OutlookContact";

// "First_Last", in the 8-bit code page.
std::string DescriptionOf(IDispatch* contact) {
  const std::wstring first = ReadIdentityValue(contact, contact_core::FieldId::FirstName).value_or(L"");
  const std::wstring last = ReadIdentityValue(contact, contact_core::FieldId::LastName).value_or(L"");
  return ToAnsi(first + L"_" + last);
}

}  // namespace

STDMETHODIMP CStore::GetConflictInfo(CONFINFO* pConfInfo) {
  Trace("CStore::GetConflictInfo");
  if (pConfInfo == nullptr || pConfInfo->cbStruct != sizeof(CONFINFO)) return E_INVALIDARG;
  const CItem* local = ItemOf(pConfInfo->hLocalItem);
  const CItem* remote = ItemOf(pConfInfo->hRemoteItem);
  if (local == nullptr || remote == nullptr) return E_INVALIDARG;
  CopyAnsiText(pConfInfo->szLocalName, kObjectTypeName);
  CopyAnsiText(pConfInfo->szRemoteName, kObjectTypeName);
  return GuardedCall([&] {
    const StoreLock lock(m_hMutex);
    const IDispatchPtr local_contact = FindContactOf(*local);
    const IDispatchPtr remote_contact = FindContactOf(*remote);
    // A version that no longer exists leaves the descriptions as they were.
    if (!local_contact || !remote_contact) return S_OK;
    if (ContactsEqual(local_contact, remote_contact)) return RERR_IGNORE;
    // Both read before either is written: a failure leaves both untouched.
    const std::string local_description = DescriptionOf(local_contact);
    const std::string remote_description = DescriptionOf(remote_contact);
    CopyAnsiText(pConfInfo->szLocalDesc, local_description);
    CopyAnsiText(pConfInfo->szRemoteDesc, remote_description);
    return S_OK;
  });
}

}  // namespace pelloquin
