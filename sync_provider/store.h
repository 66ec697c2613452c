// CStore: the provider's IReplStore. One store stands for Outlook's default
// Contacts folder, reached through sessions of its own (one per apartment
// that calls it, see apartment_sessions.h), and hands the service manager a
// folder handle, item handles and its one object handler.
//
// Every operation that works on Outlook data holds the store lock (the named
// mutex shared by every store) from before its first Outlook call until after
// its last, and answers a failure, without touching Outlook, when the lock
// cannot be had within five seconds.
#pragma once

#include "com_support.h"
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>

#include "apartment_sessions.h"
#include "outlook_session.h"
#include "repl_objects.h"
#include "service_manager_contract.h"
#include "store_lock.h"

namespace pelloquin {

class CDataHandler;

class CStore final : public IReplStore {
 public:
  // `outer` aggregates the store when not null; no reference is taken on it.
  explicit CStore(IUnknown* outer);
  ~CStore();
  CStore(const CStore&) = delete;
  CStore& operator=(const CStore&) = delete;

  // The store's own IUnknown, which controls its lifetime. The class factory
  // starts from it; an aggregating object keeps it.
  IUnknown* NonDelegatingUnknown() { return &m_Identity; }

  // IUnknown: delegated to the outer object when aggregated.
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // Session and folder.
  STDMETHODIMP Initialize(IReplNotify* pNotify, UINT uFlags) override;
  STDMETHODIMP GetStoreInfo(STOREINFO* pStoreInfo) override;
  STDMETHODIMP ReportStatus(HREPLFLD hFolder, HREPLITEM hItem, UINT uStatus, UINT uParam) override;
  STDMETHODIMP_(int) CompareStoreIDs(LPBYTE lpbID1, UINT cbID1, LPBYTE lpbID2, UINT cbID2) override;
  STDMETHODIMP GetFolderInfo(LPCSTR lpszObjType, HREPLFLD* phFld, IUnknown** ppObjHandler) override;
  STDMETHODIMP IsFolderChanged(HREPLFLD hFolder, BOOL* pfChanged) override;

  // Items and enumeration.
  STDMETHODIMP_(int) CompareItem(HREPLITEM hItem1, HREPLITEM hItem2) override;
  STDMETHODIMP_(BOOL) IsItemChanged(HREPLFLD hFolder, HREPLITEM hItem, HREPLITEM hItemComp) override;
  STDMETHODIMP_(BOOL) IsItemReplicated(HREPLFLD hFolder, HREPLITEM hItem) override;
  STDMETHODIMP_(void) UpdateItem(HREPLFLD hFolder, HREPLITEM hItemDst, HREPLITEM hItemSrc) override;
  STDMETHODIMP FindFirstItem(HREPLFLD hFolder, HREPLITEM* phItem, BOOL* pfExist) override;
  STDMETHODIMP FindNextItem(HREPLFLD hFolder, HREPLITEM* phItem, BOOL* pfExist) override;
  STDMETHODIMP FindItemClose(HREPLFLD hFolder) override;
  STDMETHODIMP IsValidObject(HREPLFLD hFolder, HREPLITEM hObject, UINT uFlags) override;

  // Handle persistence.
  STDMETHODIMP_(UINT) ObjectToBytes(HREPLOBJ hObject, LPBYTE lpb) override;
  STDMETHODIMP_(HREPLOBJ) BytesToObject(LPBYTE lpb, UINT cb) override;
  STDMETHODIMP_(void) FreeObject(HREPLOBJ hObject) override;
  STDMETHODIMP_(BOOL) CopyObject(HREPLOBJ hObjSrc, HREPLOBJ hObjDst) override;

  // User interface.
  STDMETHODIMP ActivateDialog(UINT uDlg, HWND hwndParent, HREPLFLD hFolder, IEnumReplItem* penum) override;
  STDMETHODIMP GetObjTypeUIData(HREPLFLD hFolder, OBJUIDATA* pData) override;

  // Conflicts and duplicates.
  STDMETHODIMP GetConflictInfo(CONFINFO* pConfInfo) override;
  STDMETHODIMP RemoveDuplicates(LPCSTR lpszObjType, UINT uFlags) override;
  // Whether a contact further down the folder than `position` (0 for the
  // first item) equals `contact`. It walks the folder on its own, so a walk
  // the caller is making over the store's session stays where it was. The
  // caller holds the store lock; an Outlook failure raises _com_error.
  bool IsDuplicate(IDispatchPtr contact, long position);

  // For the object handler, which works on the store's data under its lock.
  const StoreMutex& LockMutex() const { return m_hMutex; }
  // The calling apartment's session; the caller holds the store lock.
  contact_core::OutlookSession& Session() { return m_Sessions.Current(); }
  // The contact `item` names, or null; the caller holds the store lock.
  IDispatchPtr FindContactOf(const CItem& item);
  // Opens a fresh item collection of the folder and answers its item count.
  // When Outlook cannot be reached a collection held from before stays held;
  // with none held at all that raises, rather than passing for an empty folder.
  long OpenContacts();
  // Re-reads the folder's item collection, then its item count and latest
  // modification time into the store's folder view; under the store lock.
  void RefreshFolder();
  // RefreshFolder after a contact was written or deleted. The change is made
  // by then, so a refresh that fails must not turn it into a reported failure:
  // the service manager would send the packet again and Outlook would hold the
  // contact twice. The view stays as it was; IsFolderChanged refreshes anew.
  void RefreshFolderAfterChange() noexcept;

 private:
  // The non-delegating IUnknown that owns the store's reference count.
  class Identity final : public IUnknown {
   public:
    explicit Identity(CStore& store) : store_(store) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

   private:
    CStore& store_;
  };

  IUnknown* ControllingUnknown() { return m_pUnkOuter != nullptr ? m_pUnkOuter : &m_Identity; }
  HRESULT Enumerate(bool from_first, HREPLITEM* phItem, BOOL* pfExist);
  bool IsInitialized() const { return (m_uFlags & kInitializedFlag) != 0; }

  static constexpr UINT kInitializedFlag = 0x80000000;

  std::atomic<LONG> m_cRef{0};
  IUnknown* m_pUnkOuter;
  IReplNotify* m_pNotify = nullptr;
  UINT m_uFlags = 0;
  StoreMutex m_hMutex;
  std::unique_ptr<CDataHandler> m_pObjHandler;
  // True while no synchronisation runs; IsFolderChanged looks at Outlook only then.
  std::atomic<bool> m_EndSync{true};
  ApartmentSessions m_Sessions;
  // The latest view of the folder; guarded by its own mutex because
  // FindItemClose reads it without the store lock.
  CFolder m_Folder;
  mutable std::mutex m_FolderMutex;
  Identity m_Identity{*this};
};

}  // namespace pelloquin
