// The walk over the folder's contacts: FindFirstItem, FindNextItem and
// FindItemClose. The walk keeps no position of its own: it is the session's
// one walk position, which look-ups move too (a look-up of the item just
// enumerated leaves the position on it, so the walk goes on undisturbed).
// Each item's EntryID is read through the session, which learns the order of
// the folder's contacts from it.
#include "com_boundary.h"
#include "contact_mapping.h"
#include "store.h"
#include "trace_hook.h"

namespace pelloquin {

namespace {

std::unique_ptr<CItem> ItemFor(contact_core::OutlookSession& session, IDispatch* contact) {
  auto item = std::make_unique<CItem>();
  item->m_EntryID = EntryIdFromOutlook(session.EntryIdOfWalkContact());
  item->m_ModTime = contact_core::ReadLastModificationTime(contact);
  return item;
}

}  // namespace

STDMETHODIMP CStore::FindFirstItem(HREPLFLD, HREPLITEM* phItem, BOOL* pfExist) {
  return Enumerate(true, phItem, pfExist);
}

STDMETHODIMP CStore::FindNextItem(HREPLFLD, HREPLITEM* phItem, BOOL* pfExist) {
  Trace("CStore::FindNextItem");
  return Enumerate(false, phItem, pfExist);
}

HRESULT CStore::Enumerate(bool from_first, HREPLITEM* phItem, BOOL* pfExist) {
  if (pfExist != nullptr) *pfExist = FALSE;
  if (phItem == nullptr) return E_INVALIDARG;
  return GuardedCall([&] {
    const StoreLock lock(m_hMutex);
    // A store that has never looked at the folder would otherwise report it
    // empty, and the service manager would take every contact for deleted.
    if (from_first && !Session().HasOpenCollection()) OpenContacts();
    const IDispatchPtr contact = from_first ? Session().FirstContact() : Session().NextContact();
    if (!contact) return;
    *phItem = ItemHandle(ItemFor(Session(), contact).release());
    if (pfExist != nullptr) *pfExist = TRUE;
  });
}

STDMETHODIMP CStore::FindItemClose(HREPLFLD hFolder) {
  Trace("CStore::FindItemClose");
  if (hFolder == nullptr) return S_OK;
  CFolder* folder = FolderOf(hFolder);
  if (folder == nullptr) return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
  const std::scoped_lock view(m_FolderMutex);
  folder->m_ItemCount = m_Folder.m_ItemCount;
  folder->m_DateTime = m_Folder.m_DateTime;
  return S_OK;
}

}  // namespace pelloquin
