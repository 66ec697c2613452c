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
      if (const IDispatchPtr contact = m_pStore->FindContactOf(item)) {
        // A contact read only in part must not reach the device as a whole one.
        contact_core::ReadContactOrRaise(contact, record);
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
    const bool is_new = m_pWriteSetup->hItem == nullptr;
    std::unique_ptr<CItem> new_item = is_new ? std::make_unique<CItem>() : nullptr;
    CItem& item = is_new ? *new_item : ItemFromSetup(m_pWriteSetup->hItem);
    contact_core::OutlookSession& session = m_pStore->Session();
    bool written = false;
    {
      const StoreLock lock(m_pStore->LockMutex());
      IDispatchPtr contact;
      if (is_new) {
        if (!session.HasOpenCollection()) m_pStore->OpenContacts();
        contact = session.AddContact();
      } else {
        contact = m_pStore->FindContactOf(item);
      }
      if (contact) {
        contact_core::WriteContact(&record, contact);
        SharedEntryId entry_id =
            EntryIdFromOutlook(contact_core::ReadContactProperty(contact, contact_core::FieldId::EntryID));
        const DATE modified = contact_core::ReadLastModificationTime(contact);
        item.m_EntryID = std::move(entry_id);
        item.m_ModTime = modified;
        written = true;
        m_pStore->RefreshFolderAfterChange();
      } else {
        m_pStore->RefreshFolder();
      }
    }
    if (!written) return E_UNEXPECTED;
    // The service manager owns a new handle from here on and frees it with FreeObject.
    if (is_new) m_pWriteSetup->hItem = ItemHandle(new_item.release());
    return S_OK;
  });
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
