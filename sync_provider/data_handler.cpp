#include "data_handler.h"

#include <memory>
#include <span>

#include "com_boundary.h"
#include "contact_mapping.h"
#include "outlook_dispatch.h"
#include "repl_objects.h"
#include "store.h"
#include "trace_hook.h"

namespace pelloquin {

namespace {

using contact_core::CONTACT_RECORD_SIZE;

// Refuses a handle of the wrong kind before anything is looked up.
CItem& ItemFromSetup(HREPLITEM handle) {
  CItem* item = ItemOf(handle);
  if (item == nullptr) _com_issue_error(HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE));
  return *item;
}

// Deletes a contact this handler has just made; false when Outlook refuses.
bool DeletedAgain(IDispatch* contact) noexcept {
  try {
    contact_core::CallMethod(contact, contact_core::ContactInterface(), "Delete");
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

STDMETHODIMP CDataHandler::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualIID(riid, IID_IUnknown)) return E_NOINTERFACE;
  *ppv = static_cast<IUnknown*>(this);
  return S_OK;
}

STDMETHODIMP_(ULONG) CDataHandler::AddRef() { return 0; }

STDMETHODIMP_(ULONG) CDataHandler::Release() { return 0; }

STDMETHODIMP CDataHandler::Setup(REPLSETUP* pSetup) {
  if (pSetup == nullptr) return E_INVALIDARG;
  (pSetup->fRead ? m_pReadSetup : m_pWriteSetup) = pSetup;
  return S_OK;
}

STDMETHODIMP CDataHandler::Reset(REPLSETUP*) { return S_OK; }

STDMETHODIMP CDataHandler::GetPacket(LPBYTE* lppbData, DWORD* pcbData, DWORD) {
  Trace("CDataHandler::GetPacket");
  if (lppbData == nullptr || pcbData == nullptr) return E_INVALIDARG;
  if (m_pReadSetup == nullptr || m_pReadSetup->hItem == nullptr) return E_UNEXPECTED;
  return GuardedCall([&] {
    CItem& item = ItemFromSetup(m_pReadSetup->hItem);
    contact_core::ContactRecord record;
    bool found = false;
    {
      const StoreLock lock(m_pStore->LockMutex());
      const _bstr_t entry_id = EntryIdForLookup(item.m_EntryID);
      if (const IDispatchPtr contact = m_pStore->Session().FindContact(entry_id)) {
        // A contact read only in part must not reach the device as a whole
        // one. The look-up matched its EntryID exactly, so that is not read again.
        contact_core::ReadContactOrRaise(contact, entry_id, record);
        item.m_ModTime = contact_core::ReadLastModificationTime(contact);
        found = true;
      }
    }
    contact_core::ToBytes(record, m_Packet);
    *pcbData = CONTACT_RECORD_SIZE;
    *lppbData = reinterpret_cast<LPBYTE>(m_Packet.data());
    return found ? RWRN_LAST_PACKET : E_UNEXPECTED;
  });
}

STDMETHODIMP CDataHandler::SetPacket(LPBYTE lpbData, DWORD cbData) {
  Trace("CDataHandler::SetPacket");
  if (cbData != CONTACT_RECORD_SIZE) return E_UNEXPECTED;
  if (lpbData == nullptr) return E_INVALIDARG;
  if (m_pWriteSetup == nullptr) return E_UNEXPECTED;
  return GuardedCall([&] {
    const contact_core::ContactRecord record =
        contact_core::FromBytes(std::span<const std::byte, CONTACT_RECORD_SIZE>(
            reinterpret_cast<const std::byte*>(lpbData), CONTACT_RECORD_SIZE));
    if (m_pWriteSetup->hItem != nullptr) return WriteKnownContact(ItemFromSetup(m_pWriteSetup->hItem), record);
    auto new_item = std::make_unique<CItem>();
    WriteNewContact(*new_item, record);
    // The service manager owns a new handle from here on and frees it with FreeObject.
    m_pWriteSetup->hItem = ItemHandle(new_item.release());
    return S_OK;
  });
}

void CDataHandler::WriteNewContact(CItem& item, const contact_core::ContactRecord& record) {
  const StoreLock lock(m_pStore->LockMutex());
  contact_core::OutlookSession& session = m_pStore->Session();
  if (!session.HasOpenCollection()) m_pStore->OpenContacts();
  const IDispatchPtr contact = session.AddContact();
  // Raises before the contact is saved, or not at all: a failure here made nothing.
  contact_core::WriteContact(&record, contact);
  try {
    item.m_EntryID = EntryIdFromOutlook(contact_core::ReadContactProperty(contact, contact_core::FieldId::EntryID));
    item.m_ModTime = contact_core::ReadLastModificationTime(contact);
  } catch (...) {
    // The contact exists, but the service manager cannot be given its handle.
    // It is deleted again before the failure is answered, or the packet sent
    // anew would make it twice.
    if (DeletedAgain(contact) || !item.m_EntryID) throw;
    // It cannot be deleted either: it is reported as written, with a time
    // that makes it count as changed, so that it travels to the device again.
    item.m_ModTime = 0.0;
  }
  m_pStore->RefreshFolderAfterChange();
}

HRESULT CDataHandler::WriteKnownContact(CItem& item, const contact_core::ContactRecord& record) {
  const StoreLock lock(m_pStore->LockMutex());
  const IDispatchPtr contact = m_pStore->FindContactOf(item);
  if (!contact) {
    m_pStore->RefreshFolder();
    return E_UNEXPECTED;
  }
  contact_core::WriteContact(&record, contact);
  // Saved: from here on the answer is success. A time that cannot be read
  // leaves the one recorded, so the contact counts as changed next time and
  // its new version travels to the device again.
  try {
    item.m_ModTime = contact_core::ReadLastModificationTime(contact);
  } catch (const _com_error&) {
  }
  m_pStore->RefreshFolderAfterChange();
  return S_OK;
}

STDMETHODIMP CDataHandler::DeleteObj(REPLSETUP* pSetup) {
  Trace("CDataHandler::DeleteObj");
  if (pSetup == nullptr) return E_INVALIDARG;
  if (pSetup->hItem == nullptr) return E_UNEXPECTED;
  return GuardedCall([&] {
    const CItem& item = ItemFromSetup(pSetup->hItem);
    const StoreLock lock(m_pStore->LockMutex());
    m_pStore->OpenContacts();
    const IDispatchPtr contact = m_pStore->FindContactOf(item);
    if (!contact) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    contact_core::CallMethod(contact, contact_core::ContactInterface(), "Delete");
    m_pStore->RefreshFolderAfterChange();
    return S_OK;
  });
}

}  // namespace pelloquin
