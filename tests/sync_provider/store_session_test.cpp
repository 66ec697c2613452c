// The store's session with the service manager: initialisation, store
// information, status reports, store identifiers and the folder view.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>

#include "store_fixture.h"

namespace pelloquin::test {
namespace {

using test_support::ContactWith;
using SessionTest = StoreTest;

STOREINFO NewStoreInfo(BYTE* id_buffer, UINT capacity) {
  STOREINFO info;
  std::memset(&info, 'x', sizeof info);
  info.cbStruct = sizeof info;
  info.uTimerRes = 77;
  info.cbMaxStoreId = capacity;
  info.cbStoreId = 0;
  info.lpbStoreId = id_buffer;
  return info;
}

TEST(StoreInfo, BeforeInitializeOnlyTheFlagsAreFilled) {
  const IReplStorePtr store = NewStore();
  BYTE id[16] = {};
  STOREINFO info = NewStoreInfo(id, sizeof id);
  EXPECT_EQ(store->GetStoreInfo(&info), S_OK);
  EXPECT_EQ(info.uFlags, SCF_SIMULATE_RTS);
  EXPECT_EQ(info.szProgId[0], 'x');
  EXPECT_EQ(info.szStoreDesc[0], 'x');
  EXPECT_EQ(info.cbStoreId, 0u);
  EXPECT_EQ(id[0], 0);
}

TEST_F(SessionTest, StoreInfoNamesTheProviderAndItsOneIdentifier) {
  BYTE id[16];
  const struct {
    UINT capacity;
    bool buffer;
    HRESULT expected;
  } cases[] = {
      {10, true, S_OK},
      {16, true, S_OK},
      {9, true, E_OUTOFMEMORY},
      {0, true, E_OUTOFMEMORY},
      {10, false, E_POINTER},
  };
  for (const auto& c : cases) {
    std::memset(id, 0xAB, sizeof id);
    STOREINFO info = NewStoreInfo(c.buffer ? id : nullptr, c.capacity);
    EXPECT_EQ(store_->GetStoreInfo(&info), c.expected) << c.capacity;
    EXPECT_EQ(info.uFlags, SCF_SIMULATE_RTS);
    EXPECT_STREQ(info.szProgId, "MS.WinCE.Pelloquin");
    EXPECT_STREQ(info.szStoreDesc, "Outlook Pelloquin");
    EXPECT_EQ(info.cbStoreId, 10u);
    EXPECT_EQ(info.uTimerRes, 77u);
    if (c.expected == S_OK) {
      EXPECT_EQ(std::memcmp(id, "Pelloquin", 10), 0);
      EXPECT_EQ(id[10], 0xAB) << "nothing past the identifier";
    } else {
      EXPECT_EQ(id[0], 0xAB);
    }
  }
}

TEST_F(SessionTest, StoreInfoOfAnotherSizeIsRefused) {
  EXPECT_EQ(store_->GetStoreInfo(nullptr), E_INVALIDARG);
  for (const UINT size : {0u, static_cast<UINT>(sizeof(STOREINFO) - 1), static_cast<UINT>(sizeof(STOREINFO) + 1)}) {
    STOREINFO info = NewStoreInfo(nullptr, 0);
    info.cbStruct = size;
    EXPECT_EQ(store_->GetStoreInfo(&info), E_INVALIDARG);
    EXPECT_EQ(info.szProgId[0], 'x');
  }
}

TEST_F(SessionTest, CompareStoreIdsOrdersByLengthThenUnsignedBytes) {
  BYTE a3[] = {0xFF, 0xFF, 0xFF};
  BYTE b4[] = {0, 0, 0, 0};
  BYTE lower[] = "PelloquinA";
  BYTE upper[] = "Pelloquina";
  BYTE high[] = {0x80};
  BYTE low[] = {0x7F};
  const struct {
    BYTE* id1;
    UINT cb1;
    BYTE* id2;
    UINT cb2;
    int expected;
  } cases[] = {
      {a3, 3, b4, 4, -1},
      {b4, 4, a3, 3, 1},
      {lower, 10, lower, 10, 0},
      {lower, 10, upper, 10, -1},
      {upper, 10, lower, 10, 1},
      {high, 1, low, 1, 1},
      {nullptr, 0, nullptr, 0, 0},
      {nullptr, 1, low, 1, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(store_->CompareStoreIDs(c.id1, c.cb1, c.id2, c.cb2), c.expected) << c.cb1 << " " << c.cb2;
  }
}

TEST_F(SessionTest, EachStatusCodeTracesItsName) {
  TraceRecorder traces;
  const char* const names[] = {
      "default",          "RSC_BEGIN_SYNC",       "RSC_END_SYNC",          "RSC_BEGIN_CHECK",
      "RSC_END_CHECK",    "RSC_DATE_CHANGED",     "RSC_RELEASE",           "RSC_REMOTE_SYNC",
      "RSC_INTERRUPT",    "RSC_BEGIN_SYNC_OBJ",   "RSC_END_SYNC_OBJ",      "RSC_OBJ_TYPE_ENABLED",
      "RSC_OBJ_TYPE_DISABLED", "RSC_BEGIN_BATCH_WRITE", "RSC_END_BATCH_WRITE", "RSC_CONNECTION_CHG",
      "RSC_WRITE_OBJ_FAILED", "RSC_DELETE_OBJ_FAILED", "default", "default", "default", "default",
  };
  for (UINT code = 0; code < std::size(names); ++code) {
    EXPECT_EQ(store_->ReportStatus(nullptr, nullptr, code, 0), S_OK);
    EXPECT_EQ(traces.Take(), std::vector<std::string>{std::string("CStore::ReportStatus ") + names[code]}) << code;
  }
  EXPECT_EQ(store_->ReportStatus(nullptr, nullptr, 0xFFFFFFFF, 0), S_OK);
  EXPECT_EQ(traces.Take(), std::vector<std::string>{"CStore::ReportStatus default"});
}

// The published codes with the arguments the service manager passes with
// them: an item for the per-object codes, the type's name in place of the
// folder for the type codes, an HRESULT or a flag as the parameter; then
// codes the reference does not name. None fails, and none but the three the
// store acts on (begin, end, release) changes what the store does.
TEST_F(SessionTest, EveryStatusCodeIsAnsweredAndUnknownOnesChangeNothing) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Berg"}}), ContactWith({{L"LastName", L"Lind"}})});
  ReadFolder();
  const HREPLITEM item = ItemFor(ids[0]);
  ASSERT_EQ(store_->FindItemClose(Folder()), S_OK);
  char type_name[] = "Contact";
  const auto type_folder = reinterpret_cast<HREPLFLD>(type_name);
  const UINT failure = static_cast<UINT>(E_FAIL);
  const struct {
    UINT code;
    HREPLFLD folder;
    HREPLITEM item;
    UINT param;
  } reports[] = {
      {RSC_CONNECTION_CHG, nullptr, nullptr, TRUE}, {RSC_OBJ_TYPE_ENABLED, type_folder, nullptr, 0},
      {RSC_REMOTE_SYNC, Folder(), nullptr, TRUE},   {RSC_BEGIN_SYNC, Folder(), nullptr, BSF_AUTO_SYNC | BSF_REMOTE_SYNC},
      {RSC_BEGIN_SYNC_OBJ, Folder(), nullptr, 0},    {RSC_TIME_CHANGED, Folder(), nullptr, 0},
      {RSC_DATE_CHANGED, Folder(), item, 0},         {RSC_BEGIN_CHECK, Folder(), nullptr, 0},
      {RSC_END_CHECK, Folder(), nullptr, 0},         {RSC_BEGIN_BATCH_WRITE, Folder(), nullptr, 0},
      {RSC_WRITE_OBJ_SUCCESS, Folder(), item, 0},    {RSC_WRITE_OBJ_FAILED, Folder(), item, failure},
      {RSC_DELETE_OBJ_SUCCESS, Folder(), item, 0},   {RSC_DELETE_OBJ_FAILED, Folder(), item, failure},
      {RSC_READ_OBJ_FAILED, Folder(), nullptr, failure}, {RSC_END_BATCH_WRITE, Folder(), nullptr, 0},
      {RSC_INTERRUPT, Folder(), nullptr, 0},         {0, Folder(), item, failure},
      {22, nullptr, nullptr, 0},                     {0x7FFFFFFF, Folder(), item, 1},
      {0xFFFFFFFF, nullptr, nullptr, 0xFFFFFFFF},
  };
  for (const auto& report : reports) {
    EXPECT_EQ(store_->ReportStatus(report.folder, report.item, report.code, report.param), S_OK) << report.code;
    // Still synchronising: the folder is not looked at, and the lock is free.
    outlook_standin::StoreItem(ContactWith({{L"LastName", L"Added meanwhile"}}));
    BOOL changed = TRUE;
    EXPECT_EQ(store_->IsFolderChanged(Folder(), &changed), S_OK) << report.code;
    EXPECT_EQ(changed, report.code == RSC_CONNECTION_CHG || report.code == RSC_OBJ_TYPE_ENABLED ||
                           report.code == RSC_REMOTE_SYNC)
        << report.code;
    if (changed) {
      ASSERT_EQ(store_->FindItemClose(Folder()), S_OK);
    }
    EXPECT_TRUE(AnotherThreadGetsTheLockAtOnce()) << report.code;
  }
  ASSERT_EQ(store_->ReportStatus(Folder(), nullptr, RSC_END_SYNC_OBJ, 0), S_OK);
  for (const UINT unknown : {0u, 22u, 0xFFFFFFFFu}) {
    ASSERT_EQ(store_->ReportStatus(Folder(), nullptr, unknown, 0), S_OK);
    BOOL changed = TRUE;
    EXPECT_EQ(store_->IsFolderChanged(Folder(), &changed), S_OK);
    EXPECT_FALSE(changed) << "an unknown code ended the synchronisation: " << unknown;
  }
  ASSERT_EQ(store_->ReportStatus(Folder(), nullptr, RSC_END_SYNC, 0), S_OK);
  BOOL changed = FALSE;
  EXPECT_EQ(store_->IsFolderChanged(Folder(), &changed), S_OK);
  EXPECT_TRUE(changed) << "after the end, the contacts added meanwhile are seen";
  ASSERT_EQ(store_->FindItemClose(Folder()), S_OK);
  for (const UINT unknown : {0u, 22u, 0xFFFFFFFFu}) {
    ASSERT_EQ(store_->ReportStatus(Folder(), nullptr, unknown, 0), S_OK);
    outlook_standin::StoreItem(ContactWith({{L"LastName", L"After"}}));
    EXPECT_EQ(store_->IsFolderChanged(Folder(), &changed), S_OK);
    EXPECT_TRUE(changed) << "an unknown code began a synchronisation: " << unknown;
    ASSERT_EQ(store_->FindItemClose(Folder()), S_OK);
  }
  EXPECT_EQ(EnumerateAll().size(), 2u + std::size(reports) + 3u) << "the enumeration still yields every contact";
}

// The service manager polls IsFolderChanged from a thread of its own. A poll
// that was waiting for the store lock when a synchronisation began must not
// read the folder then: that replaces the item collection the
// synchronisation's enumeration walks.
TEST_F(SessionTest, APollThatWaitedForTheLockLeavesABegunSynchronisationAlone) {
  Seed({ContactWith({{L"LastName", L"Berg"}})});
  ReadFolder();
  ASSERT_EQ(store_->FindItemClose(Folder()), S_OK);
  outlook_standin::StoreItem(ContactWith({{L"LastName", L"Lind"}}));
  TraceRecorder traces;
  BOOL changed = TRUE;
  HRESULT answer = E_FAIL;
  const HANDLE answered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread poll;
  {
    const LockHeldElsewhere held;
    poll = std::thread([&] {
      CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
      answer = store_->IsFolderChanged(Folder(), &changed);
      CoUninitialize();
      SetEvent(answered);
    });
    // Once the poll has begun it is past its first look at the flag, or
    // about to be; either way it must answer that nothing is looked at.
    std::vector<std::string> seen;
    while (std::find(seen.begin(), seen.end(), "CStore::IsFolderChanged") == seen.end()) {
      for (auto& text : traces.Take()) seen.push_back(std::move(text));
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(store_->ReportStatus(Folder(), nullptr, RSC_BEGIN_SYNC, 0), S_OK);
  }
  // Calls into the stand-in from the poll's apartment need this one's messages.
  HANDLE waited[] = {answered};
  DWORD index = 0;
  CoWaitForMultipleHandles(0, INFINITE, 1, waited, &index);
  poll.join();
  CloseHandle(answered);
  EXPECT_EQ(answer, S_OK);
  EXPECT_FALSE(changed) << "the poll read the folder during the synchronisation";
  ASSERT_EQ(store_->ReportStatus(Folder(), nullptr, RSC_END_SYNC, 0), S_OK);
}

TEST_F(SessionTest, ReleaseClosesTheLockUntilTheNextInitialize) {
  Seed({ContactWith({{L"LastName", L"Berg"}})});
  ASSERT_EQ(store_->ReportStatus(nullptr, nullptr, RSC_RELEASE, 0), S_OK);
  HREPLITEM item = nullptr;
  BOOL exists = TRUE;
  EXPECT_EQ(store_->FindFirstItem(Folder(), &item, &exists), E_UNEXPECTED) << "no lock, no Outlook";
  EXPECT_FALSE(exists);
  EXPECT_EQ(outlook_standin::CallCount(outlook_standin::OutlookCall::CreateApplication), 0);

  ASSERT_EQ(store_->Initialize(nullptr, 0), S_OK);
  EXPECT_EQ(store_->FindFirstItem(Folder(), &item, &exists), S_OK);
  EXPECT_TRUE(exists);
  Own(item);
}

TEST_F(SessionTest, GetFolderInfoMakesAFolderHandleOnlyWhenGivenNone) {
  HREPLFLD folder = nullptr;
  IUnknown* handler = nullptr;
  ASSERT_EQ(store_->GetFolderInfo("Contact", &folder, &handler), S_OK);
  Own(folder);
  ASSERT_NE(folder, nullptr);
  EXPECT_NE(handler, nullptr);
  BYTE bytes[16];
  ASSERT_EQ(store_->ObjectToBytes(reinterpret_cast<HREPLOBJ>(folder), bytes), 16u);
  const BYTE empty_folder[16] = {2};
  EXPECT_EQ(std::memcmp(bytes, empty_folder, 16), 0) << "count 0, date 0.0";

  HREPLFLD kept = folder;
  IUnknown* handler_again = nullptr;
  ASSERT_EQ(store_->GetFolderInfo("anything", &kept, &handler_again), S_OK);
  EXPECT_EQ(kept, folder);
  EXPECT_EQ(handler_again, handler);
  EXPECT_EQ(store_->GetFolderInfo("Contact", nullptr, &handler), E_INVALIDARG);
}

TEST_F(SessionTest, AFolderChangesWithItsCountOrItsLatestModification) {
  const auto ids = Seed({ContactWith({{L"LastName", L"A"}}), ContactWith({{L"LastName", L"B"}}),
                         ContactWith({{L"LastName", L"C"}})});
  TraceRecorder traces;
  BOOL changed = FALSE;
  ASSERT_EQ(store_->IsFolderChanged(Folder(), &changed), S_OK);
  EXPECT_TRUE(changed) << "a new folder handle counts no items";
  EXPECT_EQ(traces.Take(), (std::vector<std::string>{"CStore::GetFolderInfo", "CStore::IsFolderChanged",
                                                      "pFolder->m_ItemCount = 0 != m_Folder.m_ItemCount = 3"}));

  ASSERT_EQ(store_->FindItemClose(Folder()), S_OK);
  ASSERT_EQ(store_->IsFolderChanged(Folder(), &changed), S_OK);
  EXPECT_FALSE(changed) << "the handle now holds the store's view";

  const auto contents = outlook_standin::FolderContents();
  SetModificationTime(ids[1], contents[1].lastModificationTime + 1.0);
  traces.Take();
  ASSERT_EQ(store_->IsFolderChanged(Folder(), &changed), S_OK);
  EXPECT_TRUE(changed) << "an edit keeps the count and raises the latest time";
  const auto date_traces = traces.Take();
  ASSERT_EQ(date_traces.size(), 2u);
  EXPECT_EQ(date_traces[1].rfind("pFolder->m_DateTime = ", 0), 0u);

  ASSERT_EQ(store_->FindItemClose(Folder()), S_OK);
  RemoveFromFolder(ids[0]);  // not the latest modified one
  traces.Take();
  ASSERT_EQ(store_->IsFolderChanged(Folder(), &changed), S_OK);
  EXPECT_TRUE(changed);
  EXPECT_EQ(traces.Take().back(), "pFolder->m_ItemCount = 3 != m_Folder.m_ItemCount = 2");
}

TEST_F(SessionTest, AnEmptyFolderIsUnchangedForANewHandle) {
  BOOL changed = TRUE;
  EXPECT_EQ(store_->IsFolderChanged(Folder(), &changed), S_OK);
  EXPECT_FALSE(changed);
}

TEST_F(SessionTest, DuringASynchronisationTheFolderIsNotLookedAt) {
  ReadFolder();
  ASSERT_EQ(store_->FindItemClose(Folder()), S_OK);
  ASSERT_EQ(store_->ReportStatus(nullptr, nullptr, RSC_BEGIN_SYNC, 0), S_OK);
  Seed({ContactWith({{L"LastName", L"New"}})});
  TraceRecorder traces;
  BOOL changed = TRUE;
  EXPECT_EQ(store_->IsFolderChanged(Folder(), &changed), S_OK);
  EXPECT_FALSE(changed);
  EXPECT_EQ(traces.Take(), (std::vector<std::string>{"CStore::IsFolderChanged", "m_EndSync = false"}));
  EXPECT_EQ(outlook_standin::CallCount(outlook_standin::OutlookCall::CreateApplication), 0);

  ASSERT_EQ(store_->ReportStatus(nullptr, nullptr, RSC_END_SYNC, 0), S_OK);
  EXPECT_EQ(store_->IsFolderChanged(Folder(), &changed), S_OK);
  EXPECT_TRUE(changed);
}

TEST_F(SessionTest, IsFolderChangedNeedsAnAnswerPlaceAndAFolderHandle) {
  EXPECT_EQ(store_->IsFolderChanged(Folder(), nullptr), E_INVALIDARG);
  BOOL changed = TRUE;
  EXPECT_EQ(store_->IsFolderChanged(nullptr, &changed), HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(changed);
}

TEST_F(SessionTest, ARepeatedInitializeKeepsTheStoreWorking) {
  ASSERT_EQ(store_->Initialize(nullptr, SCF_SINGLE_THREAD), S_OK);
  BYTE id[10];
  STOREINFO info = NewStoreInfo(id, sizeof id);
  EXPECT_EQ(store_->GetStoreInfo(&info), S_OK);
  ReadFolder();
}

}  // namespace
}  // namespace pelloquin::test
