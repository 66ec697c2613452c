// One connection with the desktop store provider, seen from the sync service
// manager's side: the store and its object handler, driven through their
// published interfaces. Each operation names the provider method it calls;
// a failure the host cannot work around raises ProviderError.
#pragma once

#include <cstddef>
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

class ProviderConnection {
 public:
  // Initialize, then GetStoreInfo.
  explicit ProviderConnection(IReplStorePtr store);
  // Frees the folder handle and reports RSC_RELEASE. Every other handle of
  // this connection must be freed before.
  ~ProviderConnection();
  ProviderConnection(const ProviderConnection&) = delete;
  ProviderConnection& operator=(const ProviderConnection&) = delete;

  const std::string& ProgId() const { return progId_; }
  const std::string& Description() const { return description_; }
  const Bytes& StoreId() const { return storeId_; }
  // CompareStoreIDs of this store's identifier and `other`.
  bool IsThisStore(std::span<const std::byte> other);

  // GetFolderInfo with the folder handle kept from the last connection, or
  // with none on a first connection.
  void OpenFolder(ProviderHandle kept);
  HREPLFLD Folder() const { return folder_.Folder(); }
  bool FolderChanged();  // IsFolderChanged
  void ReportStatus(UINT status);

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
  // IsValidObject: false when the desktop store no longer holds the item.
  bool Exists(HREPLITEM item);

  Bytes ToBytes(HREPLOBJ object);
  // BytesToObject; an empty handle when the provider refuses the bytes.
  ProviderHandle FromBytes(std::span<const std::byte> bytes);

  // Setup + GetPacket: the contact as a record; nothing when it is gone.
  // A failure while the contact is still there (IsValidObject says so)
  // raises ProviderError, so no failure is ever taken for a deletion.
  std::optional<contact_core::ContactRecord> ReadPacket(HREPLITEM item);
  // Setup + SetPacket into a known contact; false when it is gone, and a
  // failure raises ProviderError as for ReadPacket.
  bool WritePacket(HREPLITEM item, const contact_core::ContactRecord& record);
  // Setup + SetPacket of a new object: the handle of the contact it became.
  ProviderHandle WriteNewPacket(const contact_core::ContactRecord& record);
  // Setup + DeleteObj; a contact that is already gone counts as deleted.
  void Delete(HREPLITEM item);

  ConflictDescription DescribeConflict(HREPLITEM desktop, HREPLITEM device);

  // ActivateDialog with the options dialog; answers the provider's result.
  HRESULT ShowOptionsDialog(HWND parent);
  // RemoveDuplicates for the contact type; answers the provider's result.
  HRESULT RemoveDuplicates();

 private:
  REPLSETUP SetupFor(bool read, HREPLITEM item);
  // Setup with the read or the write record, which the handler keeps using.
  void Setup(bool read, HREPLITEM item);

  IReplStorePtr store_;
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
