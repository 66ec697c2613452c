#include "call_trace.h"

#include <cstdarg>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace sync_host {
namespace {

// Names from the published reference of ReportStatus.
constexpr const char* kStatusNames[] = {
    nullptr,
    "RSC_BEGIN_SYNC",
    "RSC_END_SYNC",
    "RSC_BEGIN_CHECK",
    "RSC_END_CHECK",
    "RSC_DATE_CHANGED",
    "RSC_RELEASE",
    "RSC_REMOTE_SYNC",
    "RSC_INTERRUPT",
    "RSC_BEGIN_SYNC_OBJ",
    "RSC_END_SYNC_OBJ",
    "RSC_OBJ_TYPE_ENABLED",
    "RSC_OBJ_TYPE_DISABLED",
    "RSC_BEGIN_BATCH_WRITE",
    "RSC_END_BATCH_WRITE",
    "RSC_CONNECTION_CHG",
    "RSC_WRITE_OBJ_FAILED",
    "RSC_DELETE_OBJ_FAILED",
    "RSC_WRITE_OBJ_SUCCESS",
    "RSC_DELETE_OBJ_SUCCESS",
    "RSC_READ_OBJ_FAILED",
    "RSC_TIME_CHANGED",
};

std::string ResultName(HRESULT result) {
  switch (result) {
    case S_OK: return "S_OK";
    case S_FALSE: return "S_FALSE";
    case E_NOTIMPL: return "E_NOTIMPL";
    case E_UNEXPECTED: return "E_UNEXPECTED";
    case E_INVALIDARG: return "E_INVALIDARG";
    case E_OUTOFMEMORY: return "E_OUTOFMEMORY";
    case E_POINTER: return "E_POINTER";
    case E_FAIL: return "E_FAIL";
    case RWRN_LAST_PACKET: return "RWRN_LAST_PACKET";
    case RERR_IGNORE: return "RERR_IGNORE";
    default: break;
  }
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(result));
  return hex;
}

const char* Bool(BOOL value) { return value ? "TRUE" : "FALSE"; }

std::string Quoted(const char* text) {
  if (text == nullptr) return "NULL";
  std::string quoted(1, '"');
  quoted.append(text).push_back('"');
  return quoted;
}

// What the lines share between threads: the numbering of threads and handles.
class Trace {
 public:
  explicit Trace(std::FILE* out) : out_(out) {}

  void Line(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    const std::scoped_lock lock(mutex_);
    auto [thread, added] = threads_.try_emplace(GetCurrentThreadId(), static_cast<int>(threads_.size()) + 1);
    std::fprintf(out_, "[t%d] %s\n", thread->second, text);
    std::fflush(out_);
  }

  // The handle's name, given at first sight: `kind` is 'f' for a folder.
  std::string Name(const void* handle, char kind = 'h') {
    if (handle == nullptr) return "NULL";
    const std::scoped_lock lock(mutex_);
    auto found = handles_.find(handle);
    if (found == handles_.end()) {
      const int number = kind == 'f' ? ++folders_ : ++items_;
      std::string name(1, kind);
      name.append(std::to_string(number));
      found = handles_.emplace(handle, std::move(name)).first;
    }
    return found->second;
  }
  void Forget(const void* handle) {
    const std::scoped_lock lock(mutex_);
    handles_.erase(handle);
  }

 private:
  std::FILE* out_;
  std::mutex mutex_;
  std::map<DWORD, int> threads_;
  std::map<const void*, std::string> handles_;
  int folders_ = 0;
  int items_ = 0;
};

std::string SetupText(const REPLSETUP* setup, Trace& trace) {
  if (setup == nullptr) return "NULL";
  std::string text = setup->fRead ? "read " : "write ";
  text += trace.Name(setup->hItem);
  if (setup->dwFlags & RSF_CONFLICT_OBJECT) text += " CONFLICT";
  if (setup->dwFlags & RSF_NEW_OBJECT) text += " NEW";
  return text;
}

class TracingHandler final : public IReplObjHandler {
 public:
  TracingHandler(IReplObjHandler* inner, Trace& trace) : inner_(inner), trace_(trace) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown) return E_NOINTERFACE;
    *ppv = static_cast<IUnknown*>(this);
    return S_OK;
  }
  // Counts no references, as the handler the service manager is given need not.
  STDMETHODIMP_(ULONG) AddRef() override { return 0; }
  STDMETHODIMP_(ULONG) Release() override { return 0; }

  STDMETHODIMP Setup(REPLSETUP* setup) override {
    const std::string text = SetupText(setup, trace_);
    const HRESULT result = inner_->Setup(setup);
    if (setup != nullptr && !setup->fRead) writeSetup_ = setup;
    trace_.Line("Setup(%s) -> %s", text.c_str(), ResultName(result).c_str());
    return result;
  }
  STDMETHODIMP Reset(REPLSETUP* setup) override {
    const std::string text = SetupText(setup, trace_);
    const HRESULT result = inner_->Reset(setup);
    trace_.Line("Reset(%s) -> %s", text.c_str(), ResultName(result).c_str());
    return result;
  }
  STDMETHODIMP GetPacket(LPBYTE* data, DWORD* size, DWORD recommended) override {
    const HRESULT result = inner_->GetPacket(data, size, recommended);
    trace_.Line("GetPacket(%lu) -> %s, %lu bytes", static_cast<unsigned long>(recommended), ResultName(result).c_str(),
                static_cast<unsigned long>(size ? *size : 0));
    return result;
  }
  STDMETHODIMP SetPacket(LPBYTE data, DWORD size) override {
    const HREPLITEM before = writeSetup_ ? writeSetup_->hItem : nullptr;
    const HRESULT result = inner_->SetPacket(data, size);
    const HREPLITEM after = writeSetup_ ? writeSetup_->hItem : nullptr;
    const std::string made = after != before ? ", new handle " + trace_.Name(after) : "";
    trace_.Line("SetPacket(%lu bytes) -> %s%s", static_cast<unsigned long>(size), ResultName(result).c_str(), made.c_str());
    return result;
  }
  STDMETHODIMP DeleteObj(REPLSETUP* setup) override {
    const std::string text = SetupText(setup, trace_);
    const HRESULT result = inner_->DeleteObj(setup);
    trace_.Line("DeleteObj(%s) -> %s", text.c_str(), ResultName(result).c_str());
    return result;
  }

 private:
  IReplObjHandler* inner_;
  Trace& trace_;
  const REPLSETUP* writeSetup_ = nullptr;
};

class TracingStore final : public IReplStore {
 public:
  TracingStore(IReplStorePtr inner, std::FILE* out) : inner_(std::move(inner)), trace_(out) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IReplStore) return E_NOINTERFACE;
    *ppv = static_cast<IReplStore*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  STDMETHODIMP Initialize(IReplNotify* notify, UINT flags) override {
    const HRESULT result = inner_->Initialize(notify, flags);
    trace_.Line("Initialize(notify, 0x%X) -> %s", flags, ResultName(result).c_str());
    return result;
  }
  STDMETHODIMP GetStoreInfo(STOREINFO* info) override {
    const UINT capacity = info ? info->cbMaxStoreId : 0;
    const bool buffer = info && info->lpbStoreId;
    const HRESULT result = inner_->GetStoreInfo(info);
    trace_.Line("GetStoreInfo(%u-byte id buffer%s) -> %s, flags 0x%X, timer %u, id %u bytes", capacity,
                buffer ? "" : " NULL", ResultName(result).c_str(), info ? info->uFlags : 0, info ? info->uTimerRes : 0,
                info ? info->cbStoreId : 0);
    return result;
  }
  STDMETHODIMP ReportStatus(HREPLFLD folder, HREPLITEM item, UINT status, UINT param) override {
    // For the object type codes the folder argument carries the type's name.
    const bool typeName = status == RSC_OBJ_TYPE_ENABLED || status == RSC_OBJ_TYPE_DISABLED;
    const std::string where = typeName ? Quoted(reinterpret_cast<const char*>(folder)) : trace_.Name(folder, 'f');
    const std::string what = trace_.Name(item);
    const HRESULT result = inner_->ReportStatus(folder, item, status, param);
    char number[16];
    trace_.Line("ReportStatus(%s, %s, %s, 0x%X) -> %s", where.c_str(), what.c_str(), StatusName(status, number), param,
                ResultName(result).c_str());
    return result;
  }
  STDMETHODIMP_(int) CompareStoreIDs(LPBYTE id1, UINT cb1, LPBYTE id2, UINT cb2) override {
    const int order = inner_->CompareStoreIDs(id1, cb1, id2, cb2);
    trace_.Line("CompareStoreIDs(%u bytes, %u bytes) -> %d", cb1, cb2, order);
    return order;
  }
  STDMETHODIMP_(int) CompareItem(HREPLITEM item1, HREPLITEM item2) override {
    const int order = inner_->CompareItem(item1, item2);
    trace_.Line("CompareItem(%s, %s) -> %d", trace_.Name(item1).c_str(), trace_.Name(item2).c_str(), order);
    return order;
  }
  STDMETHODIMP_(BOOL) IsItemChanged(HREPLFLD folder, HREPLITEM item, HREPLITEM compared) override {
    const BOOL changed = inner_->IsItemChanged(folder, item, compared);
    trace_.Line("IsItemChanged(%s, %s, %s) -> %s", trace_.Name(folder, 'f').c_str(), trace_.Name(item).c_str(),
                trace_.Name(compared).c_str(), Bool(changed));
    return changed;
  }
  STDMETHODIMP_(BOOL) IsItemReplicated(HREPLFLD folder, HREPLITEM item) override {
    const BOOL replicated = inner_->IsItemReplicated(folder, item);
    trace_.Line("IsItemReplicated(%s, %s) -> %s", trace_.Name(folder, 'f').c_str(), trace_.Name(item).c_str(),
                Bool(replicated));
    return replicated;
  }
  STDMETHODIMP_(void) UpdateItem(HREPLFLD folder, HREPLITEM destination, HREPLITEM source) override {
    inner_->UpdateItem(folder, destination, source);
    trace_.Line("UpdateItem(%s, %s, %s)", trace_.Name(folder, 'f').c_str(), trace_.Name(destination).c_str(),
                trace_.Name(source).c_str());
  }
  STDMETHODIMP GetFolderInfo(LPCSTR type, HREPLFLD* folder, IUnknown** handler) override {
    const std::string given = folder ? trace_.Name(*folder, 'f') : "NULL";
    const HRESULT result = inner_->GetFolderInfo(type, folder, handler);
    if (SUCCEEDED(result) && handler != nullptr && *handler != nullptr) {
      // The service manager uses the pointer it is given as the handler itself.
      auto* inner = static_cast<IReplObjHandler*>(static_cast<void*>(*handler));
      if (!handler_ || handlerInner_ != inner) {
        handler_ = std::make_unique<TracingHandler>(inner, trace_);
        handlerInner_ = inner;
      }
      *handler = handler_.get();
    }
    trace_.Line("GetFolderInfo(%s, %s) -> %s, folder %s", Quoted(type).c_str(), given.c_str(), ResultName(result).c_str(),
                folder ? trace_.Name(*folder, 'f').c_str() : "NULL");
    return result;
  }
  STDMETHODIMP IsFolderChanged(HREPLFLD folder, BOOL* changed) override {
    const HRESULT result = inner_->IsFolderChanged(folder, changed);
    trace_.Line("IsFolderChanged(%s) -> %s, changed %s", trace_.Name(folder, 'f').c_str(), ResultName(result).c_str(),
                changed ? Bool(*changed) : "?");
    return result;
  }
  STDMETHODIMP FindFirstItem(HREPLFLD folder, HREPLITEM* item, BOOL* exists) override {
    const HRESULT result = inner_->FindFirstItem(folder, item, exists);
    TraceFound("FindFirstItem", folder, item, exists, result);
    return result;
  }
  STDMETHODIMP FindNextItem(HREPLFLD folder, HREPLITEM* item, BOOL* exists) override {
    const HRESULT result = inner_->FindNextItem(folder, item, exists);
    TraceFound("FindNextItem", folder, item, exists, result);
    return result;
  }
  STDMETHODIMP FindItemClose(HREPLFLD folder) override {
    const HRESULT result = inner_->FindItemClose(folder);
    trace_.Line("FindItemClose(%s) -> %s", trace_.Name(folder, 'f').c_str(), ResultName(result).c_str());
    return result;
  }
  STDMETHODIMP_(UINT) ObjectToBytes(HREPLOBJ object, LPBYTE bytes) override {
    const UINT size = inner_->ObjectToBytes(object, bytes);
    trace_.Line("ObjectToBytes(%s, %s) -> %u", trace_.Name(object).c_str(), bytes ? "buffer" : "NULL", size);
    return size;
  }
  STDMETHODIMP_(HREPLOBJ) BytesToObject(LPBYTE bytes, UINT size) override {
    const HREPLOBJ object = inner_->BytesToObject(bytes, size);
    trace_.Line("BytesToObject(%u bytes) -> %s", size, trace_.Name(object).c_str());
    return object;
  }
  STDMETHODIMP_(void) FreeObject(HREPLOBJ object) override {
    const std::string name = trace_.Name(object);
    inner_->FreeObject(object);
    trace_.Forget(object);
    trace_.Line("FreeObject(%s)", name.c_str());
  }
  STDMETHODIMP_(BOOL) CopyObject(HREPLOBJ source, HREPLOBJ destination) override {
    const BOOL copied = inner_->CopyObject(source, destination);
    trace_.Line("CopyObject(%s, %s) -> %s", trace_.Name(source).c_str(), trace_.Name(destination).c_str(), Bool(copied));
    return copied;
  }
  STDMETHODIMP IsValidObject(HREPLFLD folder, HREPLITEM object, UINT flags) override {
    const HRESULT result = inner_->IsValidObject(folder, object, flags);
    trace_.Line("IsValidObject(%s, %s, 0x%X) -> %s", trace_.Name(folder, 'f').c_str(), trace_.Name(object).c_str(), flags,
                ResultName(result).c_str());
    return result;
  }
  STDMETHODIMP ActivateDialog(UINT dialog, HWND parent, HREPLFLD folder, IEnumReplItem* items) override {
    const HRESULT result = inner_->ActivateDialog(dialog, parent, folder, items);
    trace_.Line("ActivateDialog(%u, window, %s, %s) -> %s", dialog, trace_.Name(folder, 'f').c_str(),
                items ? "items" : "NULL", ResultName(result).c_str());
    return result;
  }
  STDMETHODIMP GetObjTypeUIData(HREPLFLD folder, OBJUIDATA* data) override {
    const HRESULT result = inner_->GetObjTypeUIData(folder, data);
    trace_.Line("GetObjTypeUIData(%s) -> %s", trace_.Name(folder, 'f').c_str(), ResultName(result).c_str());
    return result;
  }
  STDMETHODIMP GetConflictInfo(CONFINFO* info) override {
    const std::string local = info ? trace_.Name(info->hLocalItem) : "NULL";
    const std::string remote = info ? trace_.Name(info->hRemoteItem) : "NULL";
    const HRESULT result = inner_->GetConflictInfo(info);
    trace_.Line("GetConflictInfo(%s, %s) -> %s", local.c_str(), remote.c_str(), ResultName(result).c_str());
    return result;
  }
  STDMETHODIMP RemoveDuplicates(LPCSTR type, UINT flags) override {
    const HRESULT result = inner_->RemoveDuplicates(type, flags);
    trace_.Line("RemoveDuplicates(%s, 0x%X) -> %s", Quoted(type).c_str(), flags, ResultName(result).c_str());
    return result;
  }

 private:
  ~TracingStore() = default;

  void TraceFound(const char* method, HREPLFLD folder, HREPLITEM* item, BOOL* exists, HRESULT result) {
    const bool found = SUCCEEDED(result) && exists != nullptr && *exists && item != nullptr;
    trace_.Line("%s(%s) -> %s, %s", method, trace_.Name(folder, 'f').c_str(), ResultName(result).c_str(),
                found ? trace_.Name(*item).c_str() : "no item");
  }

  LONG references_ = 1;
  IReplStorePtr inner_;
  Trace trace_;
  std::unique_ptr<TracingHandler> handler_;
  IReplObjHandler* handlerInner_ = nullptr;
};

}  // namespace

const char* StatusName(UINT status, char (&number)[16]) {
  if (status < std::size(kStatusNames) && kStatusNames[status] != nullptr) return kStatusNames[status];
  std::snprintf(number, sizeof number, "%u", status);
  return number;
}

IReplStorePtr TracedStore(IReplStorePtr store, std::FILE* out) {
  IReplStorePtr traced;
  traced.Attach(new TracingStore(std::move(store), out));
  return traced;
}

}  // namespace sync_host
