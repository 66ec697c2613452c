// The store's session with the service manager and its view of the folder:
// Initialize, GetStoreInfo, ReportStatus, CompareStoreIDs, GetFolderInfo and
// IsFolderChanged.
#include <algorithm>
#include <cstring>
#include <exception>
#include <iterator>

#include "ansi_text.h"
#include "com_boundary.h"
#include "data_handler.h"
#include "store.h"
#include "trace_hook.h"

namespace pelloquin {

namespace {

constexpr char kProgId[] = "MS.WinCE.Pelloquin";
constexpr char kStoreDescription[] = "Outlook Pelloquin";
// Every store reports the same identifier, terminating zero byte included.
constexpr char kStoreId[] = "Pelloquin";

constexpr const char* kStatusTraces[] = {
    "CStore::ReportStatus default",
    "CStore::ReportStatus RSC_BEGIN_SYNC",
    "CStore::ReportStatus RSC_END_SYNC",
    "CStore::ReportStatus RSC_BEGIN_CHECK",
    "CStore::ReportStatus RSC_END_CHECK",
    "CStore::ReportStatus RSC_DATE_CHANGED",
    "CStore::ReportStatus RSC_RELEASE",
    "CStore::ReportStatus RSC_REMOTE_SYNC",
    "CStore::ReportStatus RSC_INTERRUPT",
    "CStore::ReportStatus RSC_BEGIN_SYNC_OBJ",
    "CStore::ReportStatus RSC_END_SYNC_OBJ",
    "CStore::ReportStatus RSC_OBJ_TYPE_ENABLED",
    "CStore::ReportStatus RSC_OBJ_TYPE_DISABLED",
    "CStore::ReportStatus RSC_BEGIN_BATCH_WRITE",
    "CStore::ReportStatus RSC_END_BATCH_WRITE",
    "CStore::ReportStatus RSC_CONNECTION_CHG",
    "CStore::ReportStatus RSC_WRITE_OBJ_FAILED",
    "CStore::ReportStatus RSC_DELETE_OBJ_FAILED",
};

}  // namespace

STDMETHODIMP CStore::Initialize(IReplNotify* pNotify, UINT uFlags) {
  m_uFlags = uFlags;
  m_pNotify = pNotify;
  if (!m_hMutex.Open()) return E_FAIL;
  m_uFlags |= kInitializedFlag;
  return S_OK;
}

STDMETHODIMP CStore::GetStoreInfo(STOREINFO* pStoreInfo) {
  if (pStoreInfo == nullptr || pStoreInfo->cbStruct != sizeof(STOREINFO)) return E_INVALIDARG;
  pStoreInfo->uFlags = SCF_SIMULATE_RTS;
  if (!IsInitialized()) {
    Trace("store is not yet initialized. return NOERROR");
    return S_OK;
  }
  CopyAnsiText(pStoreInfo->szProgId, kProgId);
  CopyAnsiText(pStoreInfo->szStoreDesc, kStoreDescription);
  pStoreInfo->cbStoreId = sizeof kStoreId;
  if (pStoreInfo->cbMaxStoreId < sizeof kStoreId) return E_OUTOFMEMORY;
  if (pStoreInfo->lpbStoreId == nullptr) return E_POINTER;
  std::memcpy(pStoreInfo->lpbStoreId, kStoreId, sizeof kStoreId);
  return S_OK;
}

STDMETHODIMP CStore::ReportStatus(HREPLFLD, HREPLITEM, UINT uStatus, UINT) {
  Trace("%s", uStatus < std::size(kStatusTraces) ? kStatusTraces[uStatus] : kStatusTraces[0]);
  switch (uStatus) {
    case RSC_BEGIN_SYNC:
      m_EndSync = false;
      break;
    case RSC_END_SYNC:
      m_EndSync = true;
      break;
    case RSC_RELEASE:
      m_hMutex.Close();
      break;
    default:
      break;
  }
  return S_OK;
}

STDMETHODIMP_(int) CStore::CompareStoreIDs(LPBYTE lpbID1, UINT cbID1, LPBYTE lpbID2, UINT cbID2) {
  if (cbID1 != cbID2) return cbID1 < cbID2 ? -1 : 1;
  if (cbID1 == 0 || lpbID1 == lpbID2) return 0;
  // A missing identifier sorts before any present one of the same length.
  if (lpbID1 == nullptr || lpbID2 == nullptr) return lpbID1 == nullptr ? -1 : 1;
  const int order = std::memcmp(lpbID1, lpbID2, cbID1);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

STDMETHODIMP CStore::GetFolderInfo(LPCSTR, HREPLFLD* phFld, IUnknown** ppObjHandler) {
  Trace("CStore::GetFolderInfo");
  if (phFld == nullptr || ppObjHandler == nullptr) return E_INVALIDARG;
  return GuardedCall([&] {
    if (*phFld == nullptr) *phFld = FolderHandle(new CFolder);
    // The handler lives exactly as long as the store and counts no references.
    *ppObjHandler = m_pObjHandler.get();
    m_EndSync = true;
  });
}

STDMETHODIMP CStore::IsFolderChanged(HREPLFLD hFolder, BOOL* pfChanged) {
  Trace("CStore::IsFolderChanged");
  if (pfChanged == nullptr) return E_INVALIDARG;
  *pfChanged = FALSE;
  if (!m_EndSync) {
    Trace("m_EndSync = false");
    return S_OK;
  }
  const CFolder* folder = FolderOf(hFolder);
  if (folder == nullptr) return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
  return GuardedCall([&] {
    const StoreLock lock(m_hMutex);
    // A synchronisation may have begun while this call waited for the lock
    // (the service manager polls from a thread of its own): the folder
    // refresh replaces the item collection that its enumeration walks.
    if (!m_EndSync) {
      Trace("m_EndSync = false");
      return;
    }
    RefreshFolder();
    const std::scoped_lock view(m_FolderMutex);
    if (folder->m_ItemCount != m_Folder.m_ItemCount) {
      Trace("pFolder->m_ItemCount = %d != m_Folder.m_ItemCount = %d", static_cast<int>(folder->m_ItemCount),
            static_cast<int>(m_Folder.m_ItemCount));
      *pfChanged = TRUE;
    } else if (folder->m_DateTime != m_Folder.m_DateTime) {
      Trace("pFolder->m_DateTime = %ld != m_Folder.m_DateTime = %ld", static_cast<long>(folder->m_DateTime),
            static_cast<long>(m_Folder.m_DateTime));
      *pfChanged = TRUE;
    }
  });
}

long CStore::OpenContacts() {
  const long item_count = Session().OpenContacts();
  if (!Session().HasOpenCollection()) _com_issue_error(E_FAIL);
  return item_count;
}

void CStore::RefreshFolder() {
  const LONG item_count = OpenContacts();
  const DATE latest = Session().LatestModificationTime();
  const std::scoped_lock view(m_FolderMutex);
  m_Folder.m_ItemCount = item_count;
  m_Folder.m_DateTime = latest;
}

void CStore::RefreshFolderAfterChange() noexcept {
  try {
    RefreshFolder();
  } catch (const _com_error&) {
    // The change itself stands; see the declaration.
  } catch (const std::exception&) {
  }
}

}  // namespace pelloquin
