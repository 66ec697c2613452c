#include "store_fixture.h"

#include <windows.h>

#include <algorithm>
#include <mutex>
#include <thread>

#include "repl_objects.h"
#include "store_lock.h"
#include "trace_hook.h"

namespace pelloquin::test {

IReplStorePtr NewStore() {
  IClassFactoryPtr factory;
  EXPECT_EQ(DllGetClassObject(CLSID_NULL, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  IReplStorePtr store;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IReplStore, reinterpret_cast<void**>(&store)), S_OK);
  return store;
}

bool AnotherThreadGetsTheLockAtOnce() {
  bool acquired = false;
  std::thread([&acquired] {
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, kStoreLockName);
    const DWORD outcome = WaitForSingleObject(mutex, 0);
    acquired = outcome == WAIT_OBJECT_0 || outcome == WAIT_ABANDONED;
    if (acquired) ReleaseMutex(mutex);
    CloseHandle(mutex);
  }).join();
  return acquired;
}

void SetModificationTime(const std::wstring& entry_id, double time) {
  auto contents = outlook_standin::FolderContents();
  for (auto& item : contents) {
    if (item.entryId == entry_id) item.lastModificationTime = time;
  }
  outlook_standin::SeedFolder(contents);
}

void RemoveFromFolder(const std::wstring& entry_id) {
  auto contents = outlook_standin::FolderContents();
  std::erase_if(contents, [&](const auto& item) { return item.entryId == entry_id; });
  outlook_standin::SeedFolder(contents);
}

namespace {

std::mutex g_traces_mutex;
std::vector<std::string> g_traces;

void RecordTrace(const char* text) {
  const std::scoped_lock lock(g_traces_mutex);
  g_traces.emplace_back(text);
}

}  // namespace

TraceRecorder::TraceRecorder() {
  Take();
  SetTraceObserver(RecordTrace);
}

TraceRecorder::~TraceRecorder() { SetTraceObserver(nullptr); }

std::vector<std::string> TraceRecorder::Take() {
  const std::scoped_lock lock(g_traces_mutex);
  return std::exchange(g_traces, {});
}

namespace {

struct HolderStart {
  HANDLE held;     // set once the thread holds the lock
  HANDLE release;  // set by the test to let it go
};

DWORD WINAPI HoldLock(void* parameter) {
  const auto* start = static_cast<HolderStart*>(parameter);
  const HANDLE mutex = CreateMutexW(nullptr, FALSE, kStoreLockName);
  WaitForSingleObject(mutex, INFINITE);
  const HANDLE release = start->release;
  SetEvent(start->held);
  WaitForSingleObject(release, INFINITE);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  return 0;
}

}  // namespace

LockHeldElsewhere::LockHeldElsewhere() {
  HolderStart start{CreateEventW(nullptr, TRUE, FALSE, nullptr), CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  release_event_ = start.release;
  thread_ = CreateThread(nullptr, 0, HoldLock, &start, 0, nullptr);
  WaitForSingleObject(start.held, INFINITE);
  CloseHandle(start.held);
}

LockHeldElsewhere::~LockHeldElsewhere() {
  SetEvent(release_event_);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  CloseHandle(release_event_);
}

void StoreTest::SetUp() {
  OutlookTest::SetUp();
  handles_before_ = CReplObject::LiveCount();
  outlook_objects_before_ = outlook_standin::LiveObjectCount();
  store_ = NewStore();
  ASSERT_EQ(store_->Initialize(nullptr, 0), S_OK);
}

void StoreTest::TearDown() {
  for (HREPLOBJ handle : owned_) store_->FreeObject(handle);
  if (folder_ != nullptr) store_->FreeObject(reinterpret_cast<HREPLOBJ>(folder_));
  store_->ReportStatus(nullptr, nullptr, RSC_RELEASE, 0);
  store_ = nullptr;
  EXPECT_EQ(CReplObject::LiveCount(), handles_before_) << "handle objects leaked";
  EXPECT_EQ(outlook_standin::LiveObjectCount(), outlook_objects_before_) << "Outlook objects leaked";
  EXPECT_TRUE(AnotherThreadGetsTheLockAtOnce());
  OutlookTest::TearDown();
}

HREPLFLD StoreTest::Folder() {
  if (folder_ == nullptr) {
    IUnknown* handler = nullptr;
    EXPECT_EQ(store_->GetFolderInfo("Contact", &folder_, &handler), S_OK);
    handler_ = static_cast<IReplObjHandler*>(handler);
  }
  return folder_;
}

IReplObjHandler* StoreTest::Handler() {
  Folder();
  return handler_;
}

std::vector<HREPLITEM> StoreTest::EnumerateAll() {
  std::vector<HREPLITEM> items;
  HREPLITEM item = nullptr;
  BOOL exists = FALSE;
  for (HRESULT hr = store_->FindFirstItem(Folder(), &item, &exists); SUCCEEDED(hr) && exists;
       hr = store_->FindNextItem(Folder(), &item, &exists)) {
    items.push_back(Own(item));
  }
  store_->FindItemClose(Folder());
  return items;
}

HREPLITEM StoreTest::ItemFor(const std::wstring& entry_id) {
  for (HREPLITEM item : EnumerateAll()) {
    if (WideOf(ItemOf(item)->m_EntryID) == entry_id) return item;
  }
  ADD_FAILURE() << "no item enumerated for that EntryID";
  return nullptr;
}

void StoreTest::ReadFolder() {
  BOOL changed = FALSE;
  ASSERT_EQ(store_->IsFolderChanged(Folder(), &changed), S_OK);
}

}  // namespace pelloquin::test
