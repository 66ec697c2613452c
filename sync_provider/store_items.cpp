// Questions about single items: CompareItem, IsItemChanged, IsItemReplicated,
// UpdateItem and IsValidObject. Each look-up of a contact asks the session
// for it by EntryID under the store lock.
#include "com_boundary.h"
#include "contact_mapping.h"
#include "store.h"
#include "sync_selection.h"
#include "trace_hook.h"

namespace pelloquin {

IDispatchPtr CStore::FindContactOf(const CItem& item) {
  return Session().FindContact(EntryIdForLookup(item.m_EntryID));
}

STDMETHODIMP_(int) CStore::CompareItem(HREPLITEM hItem1, HREPLITEM hItem2) {
  const CItem* item1 = ItemOf(hItem1);
  const CItem* item2 = ItemOf(hItem2);
  const SharedEntryId text1 = item1 != nullptr ? item1->m_EntryID : nullptr;
  const SharedEntryId text2 = item2 != nullptr ? item2->m_EntryID : nullptr;
  if (text1 == text2) return 0;
  // wchar_t is an unsigned 16-bit unit here; a prefix sorts first, and an
  // absent text is empty.
  const int order = WideOf(text1).compare(WideOf(text2));
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

STDMETHODIMP_(BOOL) CStore::IsItemChanged(HREPLFLD, HREPLITEM hItem, HREPLITEM hItemComp) {
  const CItem* item = ItemOf(hItem);
  if (item == nullptr) return FALSE;
  if (hItemComp != nullptr) {
    const CItem* compared = ItemOf(hItemComp);
    return compared != nullptr && item->m_ModTime != compared->m_ModTime;
  }
  // An item that could not be checked counts as unchanged: it is asked about
  // again at the next synchronisation, while TRUE would send a version that
  // was never read.
  BOOL changed = FALSE;
  GuardedCall([&] {
    const StoreLock lock(m_hMutex);
    const IDispatchPtr contact = FindContactOf(*item);
    changed = contact && contact_core::ReadLastModificationTime(contact) != item->m_ModTime;
  });
  return changed;
}

STDMETHODIMP_(BOOL) CStore::IsItemReplicated(HREPLFLD, HREPLITEM hItem) {
  Trace("CStore::IsItemReplicated");
  if (hItem == nullptr) return TRUE;
  const CItem* item = ItemOf(hItem);
  if (item == nullptr) return FALSE;
  switch (SelectionOf(AnsiOf(item->m_EntryID))) {
    case Selection::AllContacts:
      return TRUE;
    case Selection::NotSelected:
      return FALSE;
    case Selection::Selected:
      break;
  }
  // An item that could not be checked (lock time-out, Outlook failing) is
  // kept: to the service manager FALSE means "leave the partnership", which
  // can remove the device's copy.
  BOOL replicated = TRUE;
  GuardedCall([&] {
    const StoreLock lock(m_hMutex);
    replicated = FindContactOf(*item) != nullptr;
  });
  return replicated;
}

STDMETHODIMP_(void) CStore::UpdateItem(HREPLFLD, HREPLITEM hItemDst, HREPLITEM hItemSrc) {
  Trace("CStore::UpdateItem");
  CItem* destination = ItemOf(hItemDst);
  if (destination == nullptr) return;
  if (hItemSrc != nullptr) {
    if (const CItem* source = ItemOf(hItemSrc)) destination->m_ModTime = source->m_ModTime;
    return;
  }
  GuardedCall([&] {
    const StoreLock lock(m_hMutex);
    if (const IDispatchPtr contact = FindContactOf(*destination)) {
      destination->m_ModTime = contact_core::ReadLastModificationTime(contact);
    }
  });
}

STDMETHODIMP CStore::IsValidObject(HREPLFLD hFolder, HREPLITEM hObject, UINT) {
  Trace("CStore::IsValidObject");
  if ((hFolder != nullptr && FolderOf(hFolder) == nullptr) || (hObject != nullptr && ItemOf(hObject) == nullptr)) {
    Trace("CStore::IsValidObject return HRESULT_FROM_WIN32( ERROR_INVALID_HANDLE )");
    return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
  }
  if (hObject == nullptr) return S_OK;
  return GuardedCall([&] {
    const StoreLock lock(m_hMutex);
    if (FindContactOf(*ItemOf(hObject))) return S_OK;
    Trace("CStore::IsValidObject return HRESULT_FROM_WIN32( ERROR_FILE_NOT_FOUND )");
    return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
  });
}

}  // namespace pelloquin
