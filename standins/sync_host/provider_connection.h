// One connection with the desktop store provider, seen from the sync service
// manager's side: the store and its object handler, driven through their
// published interfaces. Each operation names the provider method it calls;
// a failure the host cannot work around raises ProviderError.
#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "contact_record.h"
#include "host_error.h"
#include "host_notify.h"
#include "host_state_format.h"
#include "provider_handle.h"
#include "repl_store_ptr.h"

namespace sync_host {

class ProviderError : public HostError {
 public:
  ProviderError(const char* method, HRESULT result);
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

// GetConflictInfo's answer about two versions of one contact.
struct ConflictDescription {
  enum class Verdict {
    Equal,         // RERR_IGNORE: the versions are the same, there is no conflict
    Described,     // S_OK: the versions differ; the two texts describe them
    NotDescribed,  // any other answer (such as E_NOTIMPL): the provider cannot say
  };
  Verdict verdict = Verdict::NotDescribed;
  std::string desktop;  // UTF-8
  std::string device;
  HRESULT result = E_NOTIMPL;
};

// How the device is connected.
struct ConnectionKind {
  // Over a remote connection the provider must show no window.
  bool remote = false;
};

class ProviderConnection {
 public:
  // As the service manager connects: GetStoreInfo for the store's flags,
  // Initialize, then GetStoreInfo for the identifier's size and once more for
  // the identifier itself.
  explicit ProviderConnection(IReplStorePtr store, ConnectionKind kind = {});
  // Frees the folder handle and reports RSC_RELEASE. Every other handle of
  // this connection must be freed before.
  ~ProviderConnection();
  ProviderConnection(const ProviderConnection&) = delete;
  ProviderConnection& operator=(const ProviderConnection&) = delete;

  const std::string& ProgId() const { return progId_; }
  const std::string& Description() const { return description_; }
  const Bytes& StoreId() const { return storeId_; }
  bool Remote() const { return kind_.remote; }
  // How often the store asks to be polled for changes (IsFolderChanged), in
  // milliseconds; 0 when it does not ask (no SCF_SIMULATE_RTS).
  unsigned PollInterval() const;
  // Whether every call must come from the thread that connected (SCF_SINGLE_THREAD).
  bool SingleThreaded() const { return (storeFlags_ & SCF_SINGLE_THREAD) != 0; }
  // CompareStoreIDs of this store's identifier and `other`.
  bool IsThisStore(std::span<const std::byte> other);

  // GetFolderInfo with the folder handle kept from the last connection, or
  // with none on a first connection.
  void OpenFolder(ProviderHandle kept);
  HREPLFLD Folder() const { return folder_.Folder(); }
  // IsFolderChanged; safe from another thread than the synchronisation's.
  // False before the folder is open.
  bool FolderChanged();
  // RSC_BEGIN_SYNC, reported when no IsFolderChanged is under way, so that
  // every later one finds the synchronisation running.
  void BeginSync(UINT flags);
  void ReportStatus(UINT status, HREPLITEM item = nullptr, UINT param = 0);
  // RSC_OBJ_TYPE_ENABLED and RSC_OBJ_TYPE_DISABLED name the type where
  // other codes give the folder.
  void ReportTypeStatus(UINT status);
  // GetObjTypeUIData's name for the type, or `fallback` when it has none.
  std::string TypeDisplayName(const std::string& fallback);
  // IsItemReplicated of the folder itself (a NULL item).
  bool IsFolderReplicated();

  // FindFirstItem, FindNextItem until no item is left, FindItemClose.
  std::vector<ProviderHandle> EnumerateItems();

  int CompareItems(HREPLITEM first, HREPLITEM second);
  // IsItemChanged of the kept handle against the enumerated one, or against
  // the desktop store itself when `current` is null.
  bool IsChanged(HREPLITEM kept, HREPLITEM current);
  bool IsReplicated(HREPLITEM item);
  // UpdateItem: the kept handle takes the enumerated one's version, or the
  // desktop store's when `current` is null.
  void Update(HREPLITEM kept, HREPLITEM current);
  // CopyObject: the kept handle becomes the enumerated one.
  void Copy(HREPLITEM current, HREPLITEM kept);
  // IsValidObject: false when the desktop store no longer holds the item.
  bool Exists(HREPLITEM item);

  Bytes ToBytes(HREPLOBJ object);
  // BytesToObject; an empty handle when the provider refuses the bytes.
  ProviderHandle FromBytes(std::span<const std::byte> bytes);

  // Setup + GetPacket: the contact as a record; nothing when it is gone.
  // A failure while the contact is still there (IsValidObject says so)
  // raises ProviderError, so no failure is ever taken for a deletion.
  // Each object ends with Reset; `flags` are REPLSETUP's (RSF_CONFLICT_OBJECT).
  std::optional<contact_core::ContactRecord> ReadPacket(HREPLITEM item, DWORD flags = 0);
  // Setup + SetPacket into a known contact; false when it is gone, and a
  // failure raises ProviderError as for ReadPacket.
  bool WritePacket(HREPLITEM item, const contact_core::ContactRecord& record, DWORD flags = 0);
  // Setup + SetPacket of a new object (RSF_NEW_OBJECT): the handle of the
  // contact it became.
  ProviderHandle WriteNewPacket(const contact_core::ContactRecord& record, DWORD flags = 0);
  // Setup + DeleteObj; a contact that is already gone counts as deleted.
  void Delete(HREPLITEM item);

  ConflictDescription DescribeConflict(HREPLITEM desktop, HREPLITEM device);

  // ActivateDialog with the options dialog, given the folder and an
  // enumerator of `items` (the handles the host keeps); answers the
  // provider's result.
  HRESULT ShowOptionsDialog(HWND parent, std::span<const HREPLITEM> items);
  // RemoveDuplicates for the contact type; answers the provider's result.
  HRESULT RemoveDuplicates();

 private:
  REPLSETUP SetupFor(bool read, HREPLITEM item, DWORD flags);
  // Setup with the read or the write record, which the handler keeps using.
  REPLSETUP& Setup(bool read, HREPLITEM item, DWORD flags);

  IReplStorePtr store_;
  ConnectionKind kind_;
  UINT storeFlags_ = 0;
  UINT timerResolution_ = 0;
  // Held by IsFolderChanged and while the folder handle changes or a
  // synchronisation begins.
  std::mutex pollMutex_;
  HostNotify notify_;
  std::string progId_;
  std::string description_;
  Bytes storeId_;
  ProviderHandle folder_;
  IReplObjHandler* handler_ = nullptr;
  // Setup keeps pointers to these until the next Setup of the same direction.
  REPLSETUP readSetup_{};
  REPLSETUP writeSetup_{};
};

inline constexpr char kContactObjectType[] = "Contact";

}  // namespace sync_host
