// The store against Outlook as it runs, a local server in a process of its
// own: called from threads in different apartments, each reaching Outlook
// through proxies of its own while the store lock still lets one at a time
// in; and Outlook killed in the middle of a session. Runs with
// QM_OUTLOOK_SERVER=local.
#include <windows.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "contact_record.h"
#include "repl_objects.h"
#include "store_fixture.h"
#include "store_lock.h"

namespace pelloquin::test {
namespace {

using test_support::ContactWith;

// A thread with a single-threaded apartment of its own that runs the work it
// is given, one piece at a time, until it is destroyed, as a service
// manager's thread does.
class ApartmentThread {
 public:
  ApartmentThread() : thread_([this] { Loop(); }) {}
  ~ApartmentThread() {
    Post(nullptr);
    thread_.join();
  }
  ApartmentThread(const ApartmentThread&) = delete;
  ApartmentThread& operator=(const ApartmentThread&) = delete;

  // Runs `work` on the thread and waits for it.
  void Run(const std::function<void()>& work) {
    std::mutex done_mutex;
    std::condition_variable done_signal;
    bool done = false;
    Post([&] {
      work();
      const std::scoped_lock lock(done_mutex);
      done = true;
      done_signal.notify_one();
    });
    std::unique_lock lock(done_mutex);
    done_signal.wait(lock, [&] { return done; });
  }

 private:
  void Post(std::function<void()> work) {
    const std::scoped_lock lock(mutex_);
    queue_.push_back(std::move(work));
    signal_.notify_one();
  }

  void Loop() {
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (;;) {
      std::function<void()> work;
      {
        std::unique_lock lock(mutex_);
        signal_.wait(lock, [this] { return !queue_.empty(); });
        work = std::move(queue_.front());
        queue_.pop_front();
      }
      if (!work) break;
      work();
    }
    if (SUCCEEDED(initialised)) CoUninitialize();
  }

  std::mutex mutex_;
  std::condition_variable signal_;
  std::deque<std::function<void()>> queue_;
  std::thread thread_;
};

std::wstring EntryIdOf(HREPLITEM item) { return std::wstring(WideOf(ItemOf(item)->m_EntryID)); }

// The last name in the packet GetPacket reads for `item`; the result through `hr`.
std::wstring PacketLastName(IReplObjHandler* handler, HREPLITEM item, HRESULT& hr) {
  REPLSETUP setup{};
  setup.cbStruct = sizeof setup;
  setup.fRead = TRUE;
  setup.hItem = item;
  handler->Setup(&setup);
  LPBYTE data = nullptr;
  DWORD size = 0;
  hr = handler->GetPacket(&data, &size, contact_core::CONTACT_RECORD_SIZE);
  if (data == nullptr || size != contact_core::CONTACT_RECORD_SIZE) return {};
  const auto record = contact_core::FromBytes(std::span<const std::byte, contact_core::CONTACT_RECORD_SIZE>(
      reinterpret_cast<const std::byte*>(data), size));
  const std::u16string_view last_name = record.Text(contact_core::FieldId::LastName);
  return std::wstring(last_name.begin(), last_name.end());
}

std::vector<outlook_standin::FolderItem> NamedContacts(const std::vector<std::wstring>& last_names) {
  std::vector<outlook_standin::FolderItem> items;
  for (const auto& name : last_names) items.push_back(ContactWith({{L"LastName", name}}));
  return items;
}

class ApartmentsTest : public StoreTest {
 protected:
  void SetUp() override {
    ASSERT_NE(test_support::LocalServer(), nullptr) << "run with QM_OUTLOOK_SERVER=local";
    StoreTest::SetUp();
    outlook_standin::WatchCallerLock(kStoreLockName);
  }
  void TearDown() override {
    EXPECT_EQ(outlook_standin::CallsWithoutLock(), 0) << "Outlook calls made without the store lock";
    outlook_standin::WatchCallerLock({});
    StoreTest::TearDown();
  }

  // One step of the walk: the item, or null at the end.
  HREPLITEM Step(IReplStore* store, HREPLFLD folder, bool first) {
    HREPLITEM item = nullptr;
    BOOL exists = FALSE;
    const HRESULT hr =
        first ? store->FindFirstItem(folder, &item, &exists) : store->FindNextItem(folder, &item, &exists);
    EXPECT_EQ(hr, S_OK);
    return exists ? Own(item) : nullptr;
  }
};

TEST_F(ApartmentsTest, OneStoreServesThreadsOfSeveralApartmentsTakingTurns) {
  const std::vector<std::wstring> names{L"Ames", L"Byrd", L"Cole", L"Dunn", L"Egan"};
  const auto ids = Seed(NamedContacts(names));
  const HREPLFLD folder = Folder();
  IReplObjHandler* handler = Handler();
  ApartmentThread threads[3];
  BOOL changed = FALSE;
  threads[0].Run([&] { EXPECT_EQ(store_->IsFolderChanged(folder, &changed), S_OK); });
  EXPECT_TRUE(changed) << "a folder handle that has seen no walk";

  // Each step of the walk, and each packet, on the next thread in turn; the
  // test's own thread, an apartment too, takes turns with them.
  std::vector<std::wstring> walked;
  std::vector<std::wstring> read;
  HREPLITEM item = nullptr;
  bool first = true;
  for (std::size_t turn = 0;; ++turn) {
    const auto step = [&] { item = Step(store_, folder, first); };
    turn % 4 == 3 ? step() : threads[turn % 4].Run(step);
    first = false;
    if (item == nullptr) break;
    walked.push_back(EntryIdOf(item));
    HRESULT hr = E_FAIL;
    threads[(turn + 1) % 3].Run([&] { read.push_back(PacketLastName(handler, item, hr)); });
    EXPECT_EQ(hr, RWRN_LAST_PACKET) << turn;
  }
  EXPECT_EQ(walked, ids) << "every contact once, in folder order, whichever thread asked";
  EXPECT_EQ(read, names);

  threads[1].Run([&] { EXPECT_EQ(store_->FindItemClose(folder), S_OK); });
  threads[2].Run([&] { EXPECT_EQ(store_->IsFolderChanged(folder, &changed), S_OK); });
  EXPECT_FALSE(changed) << "the folder as the walk left it";
}

TEST_F(ApartmentsTest, TwoStoresOnTwoThreadsAtOnceEachSeeTheWholeFolder) {
  const std::vector<std::wstring> names{L"Ames", L"Byrd", L"Cole", L"Dunn"};
  const auto ids = Seed(NamedContacts(names));
  ApartmentThread threads[2];
  std::vector<std::wstring> read[2];
  std::thread drivers[2];
  for (int side = 0; side < 2; ++side) {
    drivers[side] = std::thread([&, side] {
      threads[side].Run([&] {
        IReplStorePtr store = NewStore();
        ASSERT_EQ(store->Initialize(nullptr, 0), S_OK);
        HREPLFLD folder = nullptr;
        IUnknown* handler = nullptr;
        ASSERT_EQ(store->GetFolderInfo("Contact", &folder, &handler), S_OK);
        std::vector<HREPLITEM> items;
        for (int round = 0; round < 2; ++round) {
          HREPLITEM item = nullptr;
          BOOL exists = FALSE;
          for (HRESULT hr = store->FindFirstItem(folder, &item, &exists); SUCCEEDED(hr) && exists;
               hr = store->FindNextItem(folder, &item, &exists)) {
            items.push_back(item);
            HRESULT read_hr = E_FAIL;
            read[side].push_back(PacketLastName(static_cast<IReplObjHandler*>(handler), item, read_hr));
            EXPECT_EQ(read_hr, RWRN_LAST_PACKET);
          }
        }
        for (HREPLITEM item : items) store->FreeObject(reinterpret_cast<HREPLOBJ>(item));
        store->FreeObject(reinterpret_cast<HREPLOBJ>(folder));
        store->ReportStatus(nullptr, nullptr, RSC_RELEASE, 0);
      });
    });
  }
  for (auto& driver : drivers) driver.join();
  std::vector<std::wstring> twice(names);
  twice.insert(twice.end(), names.begin(), names.end());
  EXPECT_EQ(read[0], twice);
  EXPECT_EQ(read[1], twice);
}

TEST_F(ApartmentsTest, OutlookKilledMidSessionFailsTheOperationsInBetweenThenTheFolderReconnects) {
  const std::vector<std::wstring> names{L"Ames", L"Byrd", L"Cole"};
  const auto ids = Seed(NamedContacts(names));
  const HREPLFLD folder = Folder();
  HREPLITEM first = Step(store_, folder, true);
  ASSERT_NE(first, nullptr);
  const DWORD killed = test_support::LocalServer()->ServerProcessId();

  test_support::LocalServer()->KillServer();

  HREPLITEM item = nullptr;
  BOOL exists = TRUE;
  EXPECT_TRUE(FAILED(store_->FindNextItem(folder, &item, &exists)));
  EXPECT_FALSE(exists);
  HRESULT hr = S_OK;
  PacketLastName(Handler(), first, hr);
  EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
  EXPECT_TRUE(AnotherThreadGetsTheLockAtOnce()) << "a failed operation holds no lock";

  // The next operation that opens the folder reaches a new Outlook.
  BOOL changed = TRUE;
  EXPECT_EQ(store_->IsFolderChanged(folder, &changed), S_OK);
  EXPECT_NE(test_support::LocalServer()->ServerProcessId(), killed);
  std::vector<std::wstring> walked;
  for (HREPLITEM next = Step(store_, folder, true); next != nullptr; next = Step(store_, folder, false)) {
    walked.push_back(EntryIdOf(next));
  }
  EXPECT_EQ(walked, ids);
  EXPECT_EQ(PacketLastName(Handler(), first, hr), names[0]);
  EXPECT_EQ(hr, RWRN_LAST_PACKET);
}

}  // namespace
}  // namespace pelloquin::test
