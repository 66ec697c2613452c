// The desktop sync service manager's provider interfaces, records and codes,
// written from their published binary contract (8-bit character form).
// Every method is __stdcall and every interface starts with IUnknown's three.
#pragma once

#include <windows.h>
#include <unknwn.h>

// Opaque handles: the service manager only passes them back, persists them
// through ObjectToBytes / BytesToObject and frees them with FreeObject.
struct REPLOBJ_OPAQUE;
struct REPLITEM_OPAQUE;
struct REPLFLD_OPAQUE;
using HREPLOBJ = REPLOBJ_OPAQUE*;
using HREPLITEM = REPLITEM_OPAQUE*;
using HREPLFLD = REPLFLD_OPAQUE*;

struct IReplStore;
struct IReplNotify;

struct STOREINFO {
  UINT cbStruct;
  UINT uFlags;
  char szProgId[256];
  char szStoreDesc[200];
  UINT uTimerRes;
  UINT cbMaxStoreId;
  UINT cbStoreId;
  LPBYTE lpbStoreId;
};

struct CONFINFO {
  UINT cbStruct;
  HREPLFLD hFolder;
  HREPLITEM hLocalItem;
  HREPLITEM hRemoteItem;
  char szLocalName[100];
  char szLocalDesc[512];
  char szRemoteName[100];
  char szRemoteDesc[512];
};

struct REPLSETUP {
  UINT cbStruct;
  BOOL fRead;
  DWORD dwFlags;
  HRESULT hr;
  char szObjType[100];
  IReplNotify* pNotify;
  DWORD oid;
  DWORD oidNew;
  IReplStore* pStore;
  HREPLFLD hFolder;
  HREPLITEM hItem;
  LPBYTE lpbVolumeID;
  UINT cbVolumeID;
};

struct OBJUIDATA {
  UINT cbStruct;
  HICON hIconLarge;
  HICON hIconSmall;
  char szName[MAX_PATH];
  char szSyncText[MAX_PATH];
  char szTypeText[80];
  char szPlTypeText[80];
};

// The service manager of the shipping (32-bit) build checks these sizes.
#if !defined(_WIN64)
static_assert(sizeof(STOREINFO) == 480, "STOREINFO must be 480 bytes in the 32-bit build");
static_assert(sizeof(CONFINFO) == 1240, "CONFINFO must be 1240 bytes in the 32-bit build");
#endif

struct IReplNotify : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetStatusText(LPCSTR text) = 0;
  virtual HWND STDMETHODCALLTYPE GetWindow(UINT flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnItemNotify(UINT code, LPCSTR progId, LPCSTR name, HREPLITEM item,
                                                 ULONG flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE QueryDevice(UINT code, void** data) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnItemCompleted(REPLSETUP* setup) = 0;
};

struct IEnumReplItem : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, HREPLITEM* items, ULONG* fetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumReplItem** clone) = 0;
  virtual HREPLFLD STDMETHODCALLTYPE GetFolderHandle() = 0;
};

struct IReplObjHandler : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Setup(REPLSETUP* setup) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset(REPLSETUP* setup) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPacket(LPBYTE* data, DWORD* size, DWORD recommended) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPacket(LPBYTE data, DWORD size) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeleteObj(REPLSETUP* setup) = 0;
};

struct IReplStore : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Initialize(IReplNotify* notify, UINT flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetStoreInfo(STOREINFO* info) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReportStatus(HREPLFLD folder, HREPLITEM item, UINT status, UINT param) = 0;
  virtual int STDMETHODCALLTYPE CompareStoreIDs(LPBYTE id1, UINT cb1, LPBYTE id2, UINT cb2) = 0;
  virtual int STDMETHODCALLTYPE CompareItem(HREPLITEM item1, HREPLITEM item2) = 0;
  virtual BOOL STDMETHODCALLTYPE IsItemChanged(HREPLFLD folder, HREPLITEM item, HREPLITEM itemComp) = 0;
  virtual BOOL STDMETHODCALLTYPE IsItemReplicated(HREPLFLD folder, HREPLITEM item) = 0;
  virtual void STDMETHODCALLTYPE UpdateItem(HREPLFLD folder, HREPLITEM itemDst, HREPLITEM itemSrc) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFolderInfo(LPCSTR objType, HREPLFLD* folder, IUnknown** objHandler) = 0;
  virtual HRESULT STDMETHODCALLTYPE IsFolderChanged(HREPLFLD folder, BOOL* changed) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindFirstItem(HREPLFLD folder, HREPLITEM* item, BOOL* exist) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindNextItem(HREPLFLD folder, HREPLITEM* item, BOOL* exist) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindItemClose(HREPLFLD folder) = 0;
  virtual UINT STDMETHODCALLTYPE ObjectToBytes(HREPLOBJ object, LPBYTE bytes) = 0;
  virtual HREPLOBJ STDMETHODCALLTYPE BytesToObject(LPBYTE bytes, UINT cb) = 0;
  virtual void STDMETHODCALLTYPE FreeObject(HREPLOBJ object) = 0;
  virtual BOOL STDMETHODCALLTYPE CopyObject(HREPLOBJ src, HREPLOBJ dst) = 0;
  virtual HRESULT STDMETHODCALLTYPE IsValidObject(HREPLFLD folder, HREPLITEM object, UINT flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE ActivateDialog(UINT dialog, HWND parent, HREPLFLD folder,
                                                   IEnumReplItem* items) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetObjTypeUIData(HREPLFLD folder, OBJUIDATA* data) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetConflictInfo(CONFINFO* info) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveDuplicates(LPCSTR objType, UINT flags) = 0;
};

inline constexpr IID IID_IReplStore = {0xa417bc0f, 0x7be1, 0x11ce, {0xad, 0x82, 0x00, 0xaa, 0x00, 0x6e, 0xc5, 0x59}};
inline constexpr IID IID_IEnumReplItem = {0xa417bc0e, 0x7be1, 0x11ce, {0xad, 0x82, 0x00, 0xaa, 0x00, 0x6e, 0xc5, 0x59}};
__CRT_UUID_DECL(IReplStore, 0xa417bc0f, 0x7be1, 0x11ce, 0xad, 0x82, 0x00, 0xaa, 0x00, 0x6e, 0xc5, 0x59)
__CRT_UUID_DECL(IEnumReplItem, 0xa417bc0e, 0x7be1, 0x11ce, 0xad, 0x82, 0x00, 0xaa, 0x00, 0x6e, 0xc5, 0x59)

// Store flags of STOREINFO.uFlags.
inline constexpr UINT SCF_SINGLE_THREAD = 1;
inline constexpr UINT SCF_SIMULATE_RTS = 2;

// Results, facility 0x14.
inline constexpr HRESULT RWRN_LAST_PACKET = 0x00140001;
inline constexpr HRESULT RERR_IGNORE = static_cast<HRESULT>(0x80140005);
inline constexpr HRESULT RERR_DEVICE_WIN = static_cast<HRESULT>(0x80140017);
inline constexpr HRESULT RERR_DESKTOP_WIN = static_cast<HRESULT>(0x80140018);
inline constexpr HRESULT RERR_SKIP_ALL = static_cast<HRESULT>(0x80140100);
inline constexpr HRESULT RERR_BAD_OBJECT = static_cast<HRESULT>(0x80140101);

// ReportStatus codes.
inline constexpr UINT RSC_BEGIN_SYNC = 1;
inline constexpr UINT RSC_END_SYNC = 2;
inline constexpr UINT RSC_BEGIN_CHECK = 3;
inline constexpr UINT RSC_END_CHECK = 4;
inline constexpr UINT RSC_DATE_CHANGED = 5;
inline constexpr UINT RSC_RELEASE = 6;
inline constexpr UINT RSC_REMOTE_SYNC = 7;
inline constexpr UINT RSC_INTERRUPT = 8;
inline constexpr UINT RSC_BEGIN_SYNC_OBJ = 9;
inline constexpr UINT RSC_END_SYNC_OBJ = 10;
inline constexpr UINT RSC_OBJ_TYPE_ENABLED = 11;
inline constexpr UINT RSC_OBJ_TYPE_DISABLED = 12;
inline constexpr UINT RSC_BEGIN_BATCH_WRITE = 13;
inline constexpr UINT RSC_END_BATCH_WRITE = 14;
inline constexpr UINT RSC_CONNECTION_CHG = 15;
inline constexpr UINT RSC_WRITE_OBJ_FAILED = 16;
inline constexpr UINT RSC_DELETE_OBJ_FAILED = 17;
inline constexpr UINT RSC_WRITE_OBJ_SUCCESS = 18;
inline constexpr UINT RSC_DELETE_OBJ_SUCCESS = 19;
inline constexpr UINT RSC_READ_OBJ_FAILED = 20;
inline constexpr UINT RSC_TIME_CHANGED = 21;

// Initialize's flags.
inline constexpr UINT ISF_SELECTED_DEVICE = 1;
inline constexpr UINT ISF_REMOTE_CONNECTED = 2;

// RSC_BEGIN_SYNC's flags.
inline constexpr UINT BSF_AUTO_SYNC = 1;
inline constexpr UINT BSF_REMOTE_SYNC = 2;

// REPLSETUP.dwFlags.
inline constexpr DWORD RSF_CONFLICT_OBJECT = 1;
inline constexpr DWORD RSF_NEW_OBJECT = 2;

// ActivateDialog's one dialog: the options.
inline constexpr UINT OPTIONS_DIALOG = 0;
