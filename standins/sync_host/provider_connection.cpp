#include "provider_connection.h"

#include <array>
#include <cstring>
#include <utility>

#include "console_text.h"
#include "item_enumerator.h"

namespace sync_host {
namespace {

using contact_core::CONTACT_RECORD_SIZE;

constexpr UINT kStoreIdCapacity = 1024;
// The published reference gives 5,000 as the timer's default resolution; the
// host takes it, like the resolution a store sets, as milliseconds.
constexpr UINT kDefaultTimerResolution = 5000;

std::string AnsiField(const char* text, std::size_t capacity) {
  return console_text::AnsiToUtf8(std::string_view(text, strnlen(text, capacity)));
}

}  // namespace

ProviderError::ProviderError(const char* method, HRESULT result)
    : HostError(std::string("the provider's ") + method + " failed: " + console_text::SystemErrorText(result)),
      result_(result) {}

ProviderConnection::ProviderConnection(IReplStorePtr store, ConnectionKind kind) : store_(std::move(store)), kind_(kind) {
  // The store's flags say how it wants to be called; they are asked for
  // before the store is initialised, as the service manager does. A store
  // that tells nothing before Initialize tells it below.
  STOREINFO early{};
  early.cbStruct = sizeof early;
  early.uTimerRes = kDefaultTimerResolution;
  if (SUCCEEDED(store_->GetStoreInfo(&early))) storeFlags_ = early.uFlags;

  if (const HRESULT result = store_->Initialize(&notify_, kind_.remote ? ISF_REMOTE_CONNECTED : 0); FAILED(result)) {
    throw ProviderError("Initialize", result);
  }
  // First without a buffer, for the identifier's size.
  STOREINFO info{};
  info.cbStruct = sizeof info;
  info.uTimerRes = kDefaultTimerResolution;
  if (const HRESULT result = store_->GetStoreInfo(&info); FAILED(result) && result != E_OUTOFMEMORY) {
    throw ProviderError("GetStoreInfo", result);
  }
  if (info.cbStoreId == 0 || info.cbStoreId > kStoreIdCapacity) {
    throw HostError("the provider's GetStoreInfo reported no usable store identifier");
  }
  std::vector<BYTE> storeId(info.cbStoreId);
  info.cbMaxStoreId = info.cbStoreId;
  info.lpbStoreId = storeId.data();
  info.uTimerRes = kDefaultTimerResolution;
  if (const HRESULT result = store_->GetStoreInfo(&info); FAILED(result)) throw ProviderError("GetStoreInfo", result);
  if (info.cbStoreId == 0 || info.cbStoreId > storeId.size()) {
    throw HostError("the provider's GetStoreInfo reported no usable store identifier");
  }
  storeFlags_ = info.uFlags;
  timerResolution_ = info.uTimerRes;
  progId_ = AnsiField(info.szProgId, sizeof info.szProgId);
  description_ = AnsiField(info.szStoreDesc, sizeof info.szStoreDesc);
  const auto* first = reinterpret_cast<const std::byte*>(storeId.data());
  storeId_.assign(first, first + info.cbStoreId);
}

ProviderConnection::~ProviderConnection() {
  {
    const std::scoped_lock poll(pollMutex_);
    folder_ = {};
  }
  store_->ReportStatus(nullptr, nullptr, RSC_RELEASE, 0);
}

unsigned ProviderConnection::PollInterval() const {
  if ((storeFlags_ & SCF_SIMULATE_RTS) == 0) return 0;
  return timerResolution_ != 0 ? timerResolution_ : kDefaultTimerResolution;
}

bool ProviderConnection::IsThisStore(std::span<const std::byte> other) {
  Bytes copy(other.begin(), other.end());
  return store_->CompareStoreIDs(reinterpret_cast<LPBYTE>(storeId_.data()), static_cast<UINT>(storeId_.size()),
                                 reinterpret_cast<LPBYTE>(copy.data()), static_cast<UINT>(copy.size())) == 0;
}

void ProviderConnection::OpenFolder(ProviderHandle kept) {
  const std::scoped_lock poll(pollMutex_);
  HREPLFLD folder = kept.Folder();
  IUnknown* handler = nullptr;
  const HRESULT result = store_->GetFolderInfo(kContactObjectType, &folder, &handler);
  if (folder != kept.Folder()) {
    folder_ = ProviderHandle(store_, reinterpret_cast<HREPLOBJ>(folder));
  } else {
    folder_ = std::move(kept);
  }
  if (FAILED(result)) throw ProviderError("GetFolderInfo", result);
  if (folder == nullptr || handler == nullptr) throw HostError("the provider's GetFolderInfo gave no folder or no object handler");
  // The service manager uses the pointer it gets as the handler itself.
  handler_ = static_cast<IReplObjHandler*>(static_cast<void*>(handler));
}

bool ProviderConnection::FolderChanged() {
  const std::scoped_lock poll(pollMutex_);
  if (!folder_) return false;
  BOOL changed = FALSE;
  if (const HRESULT result = store_->IsFolderChanged(Folder(), &changed); FAILED(result)) {
    throw ProviderError("IsFolderChanged", result);
  }
  return changed != FALSE;
}

void ProviderConnection::BeginSync(UINT flags) {
  const std::scoped_lock poll(pollMutex_);
  store_->ReportStatus(Folder(), nullptr, RSC_BEGIN_SYNC, flags);
}

void ProviderConnection::ReportStatus(UINT status, HREPLITEM item, UINT param) {
  store_->ReportStatus(Folder(), item, status, param);
}

void ProviderConnection::ReportTypeStatus(UINT status) {
  store_->ReportStatus(reinterpret_cast<HREPLFLD>(const_cast<char*>(kContactObjectType)), nullptr, status, 0);
}

std::string ProviderConnection::TypeDisplayName(const std::string& fallback) {
  OBJUIDATA data{};
  data.cbStruct = sizeof data;
  if (store_->GetObjTypeUIData(Folder(), &data) != S_OK) return fallback;
  const std::string plural = AnsiField(data.szPlTypeText, sizeof data.szPlTypeText);
  return plural.empty() ? fallback : plural;
}

bool ProviderConnection::IsFolderReplicated() { return store_->IsItemReplicated(Folder(), nullptr) != FALSE; }

std::vector<ProviderHandle> ProviderConnection::EnumerateItems() {
  std::vector<ProviderHandle> items;
  struct CloseEnumeration {
    IReplStore* store;
    HREPLFLD folder;
    ~CloseEnumeration() { store->FindItemClose(folder); }
  } close{store_, Folder()};
  HREPLITEM item = nullptr;
  BOOL exists = FALSE;
  if (const HRESULT result = store_->FindFirstItem(Folder(), &item, &exists); FAILED(result)) {
    throw ProviderError("FindFirstItem", result);
  }
  while (exists) {
    items.emplace_back(store_, reinterpret_cast<HREPLOBJ>(item));
    item = nullptr;
    exists = FALSE;
    if (const HRESULT result = store_->FindNextItem(Folder(), &item, &exists); FAILED(result)) {
      throw ProviderError("FindNextItem", result);
    }
  }
  return items;
}

int ProviderConnection::CompareItems(HREPLITEM first, HREPLITEM second) { return store_->CompareItem(first, second); }

bool ProviderConnection::IsChanged(HREPLITEM kept, HREPLITEM current) {
  return store_->IsItemChanged(Folder(), kept, current) != FALSE;
}

bool ProviderConnection::IsReplicated(HREPLITEM item) { return store_->IsItemReplicated(Folder(), item) != FALSE; }

void ProviderConnection::Update(HREPLITEM kept, HREPLITEM current) { store_->UpdateItem(Folder(), kept, current); }

void ProviderConnection::Copy(HREPLITEM current, HREPLITEM kept) {
  if (!store_->CopyObject(reinterpret_cast<HREPLOBJ>(current), reinterpret_cast<HREPLOBJ>(kept))) {
    // The kept handle stays as it was: the contact counts as changed again
    // next time, and is sent once more rather than never.
    throw HostError("the provider's CopyObject refused to bring a kept handle up to date");
  }
}

bool ProviderConnection::Exists(HREPLITEM item) {
  const HRESULT result = store_->IsValidObject(Folder(), item, 0);
  if (result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) return false;
  if (FAILED(result)) throw ProviderError("IsValidObject", result);
  return true;
}

Bytes ProviderConnection::ToBytes(HREPLOBJ object) {
  const UINT size = store_->ObjectToBytes(object, nullptr);
  Bytes bytes(size);
  const UINT written = store_->ObjectToBytes(object, reinterpret_cast<LPBYTE>(bytes.data()));
  if (written != size) throw HostError("the provider's ObjectToBytes gave two different sizes for one handle");
  return bytes;
}

ProviderHandle ProviderConnection::FromBytes(std::span<const std::byte> bytes) {
  Bytes copy(bytes.begin(), bytes.end());
  return ProviderHandle(store_, store_->BytesToObject(reinterpret_cast<LPBYTE>(copy.data()),
                                                      static_cast<UINT>(copy.size())));
}

REPLSETUP ProviderConnection::SetupFor(bool read, HREPLITEM item, DWORD flags) {
  REPLSETUP setup{};
  setup.cbStruct = sizeof setup;
  setup.fRead = read;
  setup.dwFlags = flags;
  std::strncpy(setup.szObjType, kContactObjectType, sizeof setup.szObjType - 1);
  setup.pNotify = &notify_;
  setup.pStore = store_;
  setup.hFolder = Folder();
  setup.hItem = item;
  return setup;
}

REPLSETUP& ProviderConnection::Setup(bool read, HREPLITEM item, DWORD flags) {
  REPLSETUP& setup = read ? readSetup_ : writeSetup_;
  setup = SetupFor(read, item, flags);
  if (const HRESULT result = handler_->Setup(&setup); FAILED(result)) throw ProviderError("Setup", result);
  return setup;
}

namespace {

// Reset ends every object that Setup began, whatever became of it.
class ObjectDone {
 public:
  ObjectDone(IReplObjHandler* handler, REPLSETUP& setup) : handler_(handler), setup_(setup) {}
  ~ObjectDone() { handler_->Reset(&setup_); }
  ObjectDone(const ObjectDone&) = delete;
  ObjectDone& operator=(const ObjectDone&) = delete;

 private:
  IReplObjHandler* handler_;
  REPLSETUP& setup_;
};

}  // namespace

std::optional<contact_core::ContactRecord> ProviderConnection::ReadPacket(HREPLITEM item, DWORD flags) {
  REPLSETUP& setup = Setup(true, item, flags);
  const ObjectDone done(handler_, setup);
  LPBYTE data = nullptr;
  DWORD size = 0;
  const HRESULT result = handler_->GetPacket(&data, &size, CONTACT_RECORD_SIZE);
  setup.hr = result;
  if (FAILED(result)) {
    // The provider answers one failure both for a contact that is gone and
    // for a desktop store that failed; only the store can tell which.
    if (!Exists(item)) return std::nullopt;
    throw ProviderError("GetPacket", result);
  }
  if (result != RWRN_LAST_PACKET) {
    throw HostError("the provider's GetPacket sent a contact in more than one packet");
  }
  if (data == nullptr || size != CONTACT_RECORD_SIZE) {
    throw HostError("the provider's GetPacket sent " + std::to_string(size) + " bytes instead of a contact record");
  }
  return contact_core::FromBytes(std::span<const std::byte, CONTACT_RECORD_SIZE>(reinterpret_cast<const std::byte*>(data), CONTACT_RECORD_SIZE));
}

bool ProviderConnection::WritePacket(HREPLITEM item, const contact_core::ContactRecord& record, DWORD flags) {
  REPLSETUP& setup = Setup(false, item, flags);
  const ObjectDone done(handler_, setup);
  std::array<std::byte, CONTACT_RECORD_SIZE> packet{};
  contact_core::ToBytes(record, packet);
  const HRESULT result = handler_->SetPacket(reinterpret_cast<LPBYTE>(packet.data()), CONTACT_RECORD_SIZE);
  setup.hr = result;
  if (FAILED(result)) {
    if (item != nullptr && !Exists(item)) return false;
    throw ProviderError("SetPacket", result);
  }
  return true;
}

ProviderHandle ProviderConnection::WriteNewPacket(const contact_core::ContactRecord& record, DWORD flags) {
  WritePacket(nullptr, record, flags | RSF_NEW_OBJECT);
  ProviderHandle created(store_, reinterpret_cast<HREPLOBJ>(writeSetup_.hItem));
  if (!created) throw HostError("the provider's SetPacket stored a new contact but gave no handle for it");
  return created;
}

void ProviderConnection::Delete(HREPLITEM item) {
  REPLSETUP setup = SetupFor(false, item, 0);
  const HRESULT result = handler_->DeleteObj(&setup);
  if (FAILED(result) && result != HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) throw ProviderError("DeleteObj", result);
}

ConflictDescription ProviderConnection::DescribeConflict(HREPLITEM desktop, HREPLITEM device) {
  CONFINFO info{};
  info.cbStruct = sizeof info;
  info.hFolder = Folder();
  info.hLocalItem = desktop;
  info.hRemoteItem = device;
  ConflictDescription description;
  description.result = store_->GetConflictInfo(&info);
  if (description.result == RERR_IGNORE) {
    description.verdict = ConflictDescription::Verdict::Equal;
  } else if (description.result == S_OK) {
    description.verdict = ConflictDescription::Verdict::Described;
    description.desktop = AnsiField(info.szLocalDesc, sizeof info.szLocalDesc);
    description.device = AnsiField(info.szRemoteDesc, sizeof info.szRemoteDesc);
  }
  return description;
}

HRESULT ProviderConnection::ShowOptionsDialog(HWND parent, std::span<const HREPLITEM> items) {
  IEnumReplItem* enumerator = new ItemEnumerator(Folder(), items);
  const HRESULT result = store_->ActivateDialog(OPTIONS_DIALOG, parent, Folder(), enumerator);
  enumerator->Release();
  return result;
}

HRESULT ProviderConnection::RemoveDuplicates() { return store_->RemoveDuplicates(kContactObjectType, 0); }

}  // namespace sync_host
