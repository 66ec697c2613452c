// The store lock across threads: a wait that times out, an abandoned lock,
// and two stores on two threads taking turns.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "contact_record.h"
#include "repl_objects.h"
#include "store_fixture.h"
#include "store_lock.h"
#include "sync_selection.h"

namespace pelloquin::test {
namespace {

using contact_core::CONTACT_RECORD_SIZE;
using outlook_standin::CallCount;
using outlook_standin::OutlookCall;
using test_support::ContactWith;
using LockTest = StoreTest;

long OutlookCallsMade() {
  long total = 0;
  for (OutlookCall call : {OutlookCall::CreateApplication, OutlookCall::Items, OutlookCall::Count,
                           OutlookCall::Add, OutlookCall::GetFirst, OutlookCall::GetNext, OutlookCall::PropertyGet,
                           OutlookCall::PropertyPut, OutlookCall::Save, OutlookCall::Delete}) {
    total += CallCount(call);
  }
  return total;
}

std::vector<std::byte> PacketNamed(std::u16string_view last_name) {
  contact_core::ContactRecord record;
  record.SetText(contact_core::FieldId::LastName, last_name);
  std::vector<std::byte> packet(CONTACT_RECORD_SIZE);
  contact_core::ToBytes(record, std::span<std::byte, CONTACT_RECORD_SIZE>(packet.data(), CONTACT_RECORD_SIZE));
  return packet;
}

TEST_F(LockTest, AWaitThatTimesOutFailsWithoutTouchingOutlook) {
  Seed({ContactWith({{L"LastName", L"Berg"}})});
  REPLSETUP setup{};
  ASSERT_EQ(Handler()->Setup(&setup), S_OK);
  std::vector<std::byte> packet = PacketNamed(u"New");
  {
    const LockHeldElsewhere held;
    HREPLITEM item = nullptr;
    BOOL exists = TRUE;
    EXPECT_EQ(store_->FindFirstItem(Folder(), &item, &exists), HRESULT_FROM_WIN32(ERROR_TIMEOUT));
    EXPECT_FALSE(exists);
    EXPECT_EQ(Handler()->SetPacket(reinterpret_cast<LPBYTE>(packet.data()), CONTACT_RECORD_SIZE),
              HRESULT_FROM_WIN32(ERROR_TIMEOUT));
    EXPECT_EQ(setup.hItem, nullptr);
    EXPECT_EQ(OutlookCallsMade(), 0);
  }
  EXPECT_EQ(outlook_standin::FolderContents().size(), 1u);
}

TEST_F(LockTest, AnItemThatCannotBeCheckedIsKeptAndCountsAsUnchanged) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Berg"}})});
  const HREPLITEM item = EnumerateAll().at(0);
  SetModificationTime(ids[0], ItemOf(item)->m_ModTime + 1.0);
  {
    const std::scoped_lock selection(g_SelectionMutex);
    g_SyncSelected = true;
    g_SelectedEntryIDs = {std::string(AnsiOf(ItemOf(item)->m_EntryID))};
  }
  struct Case {
    const char* what;
    bool lock_held_elsewhere;
    std::optional<outlook_standin::Fault> fault;
  } cases[] = {
      {"the store lock times out", true, std::nullopt},
      {"Outlook fails", false, outlook_standin::Fault{.call = OutlookCall::GetItemFromID, .sticky = true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    {
      std::optional<LockHeldElsewhere> held;
      if (c.lock_held_elsewhere) held.emplace();
      if (c.fault) outlook_standin::ArmFault(*c.fault);
      // FALSE would take the contact out of the partnership; TRUE would send
      // a version nobody read.
      EXPECT_TRUE(store_->IsItemReplicated(Folder(), item));
      EXPECT_FALSE(store_->IsItemChanged(Folder(), item, nullptr));
      outlook_standin::DisarmFaults();
    }
    EXPECT_TRUE(store_->IsItemChanged(Folder(), item, nullptr)) << "checked again, the change shows";
  }
  const std::scoped_lock selection(g_SelectionMutex);
  g_SyncSelected = false;
  g_SelectedEntryIDs.clear();
}

TEST_F(LockTest, ALockAbandonedByAnEndedThreadCountsAsAcquired) {
  Seed({ContactWith({{L"LastName", L"Berg"}})});
  std::thread([] {
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, kStoreLockName);
    WaitForSingleObject(mutex, 0);
    CloseHandle(mutex);  // ends without ReleaseMutex
  }).join();
  HREPLITEM item = nullptr;
  BOOL exists = FALSE;
  EXPECT_EQ(store_->FindFirstItem(Folder(), &item, &exists), S_OK);
  EXPECT_TRUE(exists);
  Own(item);
}

// One thread's share of the work: its own store writes contacts from
// packets, reads each back, enumerates the folder and deletes half again.
struct Worker {
  std::wstring prefix;
  int contacts;
  std::atomic<bool>* go;
  std::vector<std::string> failures;

  void operator()() {
    // The stand-in's class is served per apartment, so each thread serves
    // it in its own, as each would find Outlook's registered class.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
      const outlook_standin::InProcessServer outlook;
      const IReplStorePtr store = NewStore();
      Check(store->Initialize(nullptr, 0) == S_OK, "Initialize");
      HREPLFLD folder = nullptr;
      IUnknown* unknown = nullptr;
      Check(store->GetFolderInfo("Contact", &folder, &unknown) == S_OK, "GetFolderInfo");
      auto* handler = static_cast<IReplObjHandler*>(unknown);
      while (!go->load()) Sleep(1);
      std::vector<HREPLITEM> written;
      for (int i = 0; i < contacts; ++i) {
        const std::wstring name = prefix + std::to_wstring(i);
        REPLSETUP write{};
        Check(handler->Setup(&write) == S_OK, "Setup");
        std::vector<std::byte> packet = PacketNamed(std::u16string(name.begin(), name.end()));
        Check(handler->SetPacket(reinterpret_cast<LPBYTE>(packet.data()), CONTACT_RECORD_SIZE) == S_OK, "SetPacket");
        written.push_back(write.hItem);

        REPLSETUP read{};
        read.fRead = TRUE;
        read.hItem = write.hItem;
        Check(handler->Setup(&read) == S_OK, "Setup");
        LPBYTE data = nullptr;
        DWORD size = 0;
        if (!Check(handler->GetPacket(&data, &size, 0) == RWRN_LAST_PACKET, "GetPacket")) continue;
        const auto record = contact_core::FromBytes(
            std::span<const std::byte, CONTACT_RECORD_SIZE>(reinterpret_cast<const std::byte*>(data), size));
        Check(record.Text(contact_core::FieldId::LastName) == std::u16string(name.begin(), name.end()),
              "packet read back");

        HREPLITEM item = nullptr;
        BOOL exists = FALSE;
        for (HRESULT hr = store->FindFirstItem(folder, &item, &exists); exists;
             hr = store->FindNextItem(folder, &item, &exists)) {
          Check(hr == S_OK, "enumeration");
          store->FreeObject(reinterpret_cast<HREPLOBJ>(item));
        }
      }
      for (std::size_t i = 0; i < written.size(); i += 2) {
        REPLSETUP setup{};
        setup.hItem = written[i];
        Check(handler->DeleteObj(&setup) == S_OK, "DeleteObj");
      }
      for (HREPLITEM item : written) store->FreeObject(reinterpret_cast<HREPLOBJ>(item));
      store->FreeObject(reinterpret_cast<HREPLOBJ>(folder));
      store->ReportStatus(nullptr, nullptr, RSC_RELEASE, 0);
    }
    CoUninitialize();
  }

  bool Check(bool ok, const char* what) {
    if (!ok) failures.emplace_back(what);
    return ok;
  }
};

TEST_F(LockTest, TwoStoresOnTwoThreadsTakeTurns) {
  Seed({});
  std::atomic<bool> go{false};
  Worker first{L"First", 12, &go, {}};
  Worker second{L"Second", 12, &go, {}};
  std::thread one(std::ref(first));
  std::thread two(std::ref(second));
  {
    // Both stores are ready and waiting for the lock; neither gets at Outlook
    // while it is held.
    const LockHeldElsewhere held;
    go = true;
    Sleep(300);
    EXPECT_EQ(OutlookCallsMade(), 0);
  }
  one.join();
  two.join();
  EXPECT_EQ(first.failures, std::vector<std::string>{});
  EXPECT_EQ(second.failures, std::vector<std::string>{});

  std::vector<std::wstring> names;
  for (const auto& item : outlook_standin::FolderContents()) names.push_back(*item.contact.Get(L"LastName"));
  std::sort(names.begin(), names.end());
  std::vector<std::wstring> expected;
  for (const wchar_t* prefix : {L"First", L"Second"}) {
    for (int i = 1; i < 12; i += 2) expected.push_back(prefix + std::to_wstring(i));
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);
}

}  // namespace
}  // namespace pelloquin::test
