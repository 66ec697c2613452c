// Every store and handler operation that reaches Outlook, with each Outlook
// call it makes failing in turn: nothing escapes, the answer is the failure
// answer, nothing leaks, the store lock is free for another thread at once,
// and Outlook's folder holds what the answer says: a failure added, changed and
// removed nothing. Every run also checks that each Outlook call was made under
// the store lock.
//
// A faulted run may succeed when it then did exactly what the run without a
// fault did: an operation that re-opens the item collection goes on with the
// one it held when Outlook cannot be attached anew, and a write that Outlook
// had saved before the fault is reported as written.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "contact_record.h"
#include "repl_objects.h"
#include "store_lock.h"
#include "store_fixture.h"
#include "sync_selection.h"

namespace pelloquin::test {
namespace {

using outlook_standin::OutlookCall;
using test_support::ContactWith;

constexpr HRESULT kFault = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0F17);

constexpr OutlookCall kAllCalls[] = {
    OutlookCall::CreateApplication, OutlookCall::GetIDsOfNames, OutlookCall::GetNamespace,
    OutlookCall::GetDefaultFolder,  OutlookCall::Items,         OutlookCall::Count,
    OutlookCall::Add,               OutlookCall::GetFirst,      OutlookCall::GetNext,
    OutlookCall::PropertyGet,       OutlookCall::PropertyPut,   OutlookCall::Save,
    OutlookCall::Delete,
};

// A BOOL or no answer becomes an HRESULT: FALSE, or nothing done, is the safe
// answer an Outlook failure must give.
HRESULT Answer(bool done) { return done ? S_OK : E_FAIL; }

// A store with its folder handle and handler, freeing what it was handed.
struct SweepStore {
  SweepStore() : store(NewStore()) {
    EXPECT_EQ(store->Initialize(nullptr, 0), S_OK);
    IUnknown* unknown = nullptr;
    EXPECT_EQ(store->GetFolderInfo("Contact", &folder, &unknown), S_OK);
    handler = static_cast<IReplObjHandler*>(unknown);
  }
  ~SweepStore() {
    for (HREPLOBJ handle : owned) store->FreeObject(handle);
    store->FreeObject(reinterpret_cast<HREPLOBJ>(folder));
    store->ReportStatus(nullptr, nullptr, RSC_RELEASE, 0);
  }
  SweepStore(const SweepStore&) = delete;
  SweepStore& operator=(const SweepStore&) = delete;

  HREPLITEM Own(HREPLITEM item) {
    if (item != nullptr) owned.push_back(reinterpret_cast<HREPLOBJ>(item));
    return item;
  }
  // One step of the walk (FindFirstItem or FindNextItem); S_OK for an item.
  HRESULT Step(bool from_first) {
    HREPLITEM item = nullptr;
    BOOL exists = FALSE;
    const HRESULT hr = from_first ? store->FindFirstItem(folder, &item, &exists)
                                  : store->FindNextItem(folder, &item, &exists);
    Own(item);
    return FAILED(hr) ? hr : Answer(exists);
  }
  void ReadFolder() {
    BOOL changed = FALSE;
    EXPECT_EQ(store->IsFolderChanged(folder, &changed), S_OK);
  }
  // Enumerates the folder; the first contact becomes `a`, the second `b`.
  void Enumerate() {
    HREPLITEM item = nullptr;
    BOOL exists = FALSE;
    std::vector<HREPLITEM> items;
    for (HRESULT hr = store->FindFirstItem(folder, &item, &exists); SUCCEEDED(hr) && exists;
         hr = store->FindNextItem(folder, &item, &exists)) {
      items.push_back(Own(item));
    }
    ASSERT_EQ(items.size(), 3u);
    a = items[0];
    b = items[1];
  }
  HRESULT WritePacket(HREPLITEM item) {
    setup.hItem = item;
    EXPECT_EQ(handler->Setup(&setup), S_OK);
    contact_core::ContactRecord record;
    record.SetText(contact_core::FieldId::LastName, u"Written");
    std::vector<std::byte> packet(contact_core::CONTACT_RECORD_SIZE);
    contact_core::ToBytes(record, std::span<std::byte, contact_core::CONTACT_RECORD_SIZE>(packet.data(),
                                                                                          packet.size()));
    return handler->SetPacket(reinterpret_cast<LPBYTE>(packet.data()), static_cast<DWORD>(packet.size()));
  }

  IReplStorePtr store;
  HREPLFLD folder = nullptr;
  IReplObjHandler* handler = nullptr;
  HREPLITEM a = nullptr;
  HREPLITEM b = nullptr;
  REPLSETUP setup{};
  std::vector<HREPLOBJ> owned;
};

struct Scenario {
  const char* name;
  bool may_succeed_as_clean;
  std::function<void(SweepStore&)> prepare;
  std::function<HRESULT(SweepStore&)> operation;
  // The answer every faulted run must give, for an operation whose failure
  // answer is not a failure (an item it cannot check is kept).
  std::optional<HRESULT> answer_on_failure = std::nullopt;
  // A failure may leave some duplicates removed, as long as one of each stays.
  bool may_remove_duplicates = false;
};

const Scenario kScenarios[] = {
    {"IsFolderChanged", false, [](SweepStore&) {},
     [](SweepStore& s) {
       BOOL changed = FALSE;
       const HRESULT hr = s.store->IsFolderChanged(s.folder, &changed);
       return FAILED(hr) ? hr : Answer(changed);
     }},
    {"FindFirstItem", false, [](SweepStore&) {}, [](SweepStore& s) { return s.Step(true); }},
    {"FindNextItem", false, [](SweepStore& s) { EXPECT_EQ(s.Step(true), S_OK); },
     [](SweepStore& s) { return s.Step(false); }},
    {"IsItemChanged", false,
     [](SweepStore& s) {
       s.Enumerate();
       SetModificationTime(std::wstring(WideOf(ItemOf(s.b)->m_EntryID)), ItemOf(s.b)->m_ModTime + 1.0);
     },
     [](SweepStore& s) { return Answer(s.store->IsItemChanged(s.folder, s.b, nullptr)); }},
    {"IsItemReplicated", false,
     [](SweepStore& s) {
       s.Enumerate();
       g_SyncSelected = true;
       g_SelectedEntryIDs = {std::string(AnsiOf(ItemOf(s.b)->m_EntryID))};
     },
     [](SweepStore& s) { return Answer(s.store->IsItemReplicated(s.folder, s.b)); }, Answer(true)},
    {"UpdateItem", false,
     [](SweepStore& s) {
       s.Enumerate();
       ItemOf(s.b)->m_ModTime = 0.0;
     },
     [](SweepStore& s) {
       s.store->UpdateItem(s.folder, s.b, nullptr);
       return Answer(ItemOf(s.b)->m_ModTime != 0.0);
     }},
    {"IsValidObject", false, [](SweepStore& s) { s.Enumerate(); },
     [](SweepStore& s) { return s.store->IsValidObject(s.folder, s.b, 0); }},
    {"GetPacket", false,
     [](SweepStore& s) {
       s.Enumerate();
       ItemOf(s.b)->m_ModTime = 0.0;
       s.setup.fRead = TRUE;
       s.setup.hItem = s.b;
       EXPECT_EQ(s.handler->Setup(&s.setup), S_OK);
     },
     [](SweepStore& s) {
       LPBYTE data = nullptr;
       DWORD size = 0;
       const HRESULT hr = s.handler->GetPacket(&data, &size, 0);
       if (FAILED(hr)) {
         EXPECT_EQ(ItemOf(s.b)->m_ModTime, 0.0) << "a failed read records no time";
       }
       return hr;
     }},
    {"SetPacket of a new object", true, [](SweepStore& s) { s.ReadFolder(); },
     [](SweepStore& s) {
       const HRESULT hr = s.WritePacket(nullptr);
       if (FAILED(hr)) {
         EXPECT_EQ(s.setup.hItem, nullptr) << "no handle for a failed write";
       }
       s.Own(s.setup.hItem);
       return hr;
     }},
    {"SetPacket of a known object", true,
     [](SweepStore& s) {
       s.Enumerate();
       ItemOf(s.b)->m_ModTime = 0.0;
     },
     [](SweepStore& s) {
       const HRESULT hr = s.WritePacket(s.b);
       EXPECT_EQ(s.setup.hItem, s.b);
       return hr;
     }},
    {"DeleteObj", true, [](SweepStore& s) { s.Enumerate(); },
     [](SweepStore& s) {
       REPLSETUP setup{};
       setup.hItem = s.b;
       return s.handler->DeleteObj(&setup);
     }},
    // A walk that fails once starts over, so a single failure may still end
    // in both descriptions.
    {"GetConflictInfo", true, [](SweepStore& s) { s.Enumerate(); },
     [](SweepStore& s) {
       CONFINFO info{};
       info.cbStruct = sizeof info;
       info.hLocalItem = s.a;
       info.hRemoteItem = s.b;
       const HRESULT hr = s.store->GetConflictInfo(&info);
       if (FAILED(hr)) {
         EXPECT_STREQ(info.szLocalDesc, "") << "a failed description writes none";
         EXPECT_STREQ(info.szRemoteDesc, "");
       } else {
         EXPECT_STRNE(info.szLocalDesc, "") << "a description answered is written";
         EXPECT_STRNE(info.szRemoteDesc, "");
       }
       return hr;
     }},
    {"RemoveDuplicates", true,
     [](SweepStore&) {
       outlook_standin::SeedFolder({ContactWith({{L"LastName", L"A"}}), ContactWith({{L"LastName", L"B"}}),
                                    ContactWith({{L"LastName", L"A"}}), ContactWith({{L"LastName", L"B"}})});
     },
     [](SweepStore& s) { return s.store->RemoveDuplicates("Contact", 0); }, std::nullopt, true},
};

// One item as stored: what a failed operation must leave as it was.
using ItemState = std::tuple<outlook_standin::ItemKind, std::wstring, double,
                             std::array<outlook_standin::PropertyValue, outlook_standin::kWritablePropertyCount>>;

std::vector<ItemState> FolderState() {
  std::vector<ItemState> state;
  for (const auto& item : outlook_standin::FolderContents()) {
    state.emplace_back(item.kind, item.entryId, item.lastModificationTime, item.contact.properties);
  }
  return state;
}

// What a run leaves behind: its answer and the folder's last names (new
// contacts get new EntryIDs in every run), and the folder before and after.
struct Outcome {
  HRESULT answer;
  std::vector<std::optional<std::wstring>> folder;
  std::vector<ItemState> before;
  std::vector<ItemState> after;
  bool operator==(const Outcome& other) const { return answer == other.answer && folder == other.folder; }
};

// `after` is `before` less some items, and keeps every content `before` had.
bool RemovedOnlyDuplicates(const std::vector<ItemState>& before, const std::vector<ItemState>& after) {
  auto kept = before.begin();
  for (const ItemState& item : after) {
    kept = std::find(kept, before.end(), item);
    if (kept == before.end()) return false;
    ++kept;
  }
  for (const ItemState& item : before) {
    const auto same_content = [&](const ItemState& other) { return std::get<3>(other) == std::get<3>(item); };
    if (std::none_of(after.begin(), after.end(), same_content)) return false;
  }
  return true;
}

// The Outlook calls the operation itself made, by kind.
std::map<OutlookCall, long> CallsMade() {
  std::map<OutlookCall, long> calls;
  for (OutlookCall call : kAllCalls) calls[call] = outlook_standin::CallCount(call);
  return calls;
}

std::vector<std::optional<std::wstring>> FolderNow() {
  std::vector<std::optional<std::wstring>> folder;
  for (const auto& item : outlook_standin::FolderContents()) folder.push_back(item.contact.Get(L"LastName"));
  return folder;
}

class FaultSweep : public test_support::OutlookTest {
 protected:
  void TearDown() override {
    g_SyncSelected = false;
    g_SelectedEntryIDs.clear();
    OutlookTest::TearDown();
  }

  void SeedThree() {
    Seed({ContactWith({{L"LastName", L"A"}}), ContactWith({{L"LastName", L"B"}}),
          ContactWith({{L"LastName", L"C"}})});
  }

  // Runs the scenario once, with `fault` armed after its preparation.
  Outcome Run(const Scenario& scenario, const outlook_standin::Fault* fault,
              std::map<OutlookCall, long>* calls = nullptr) {
    SeedThree();
    const long handles_before = CReplObject::LiveCount();
    const long outlook_objects_before = outlook_standin::LiveObjectCount();
    Outcome outcome{};
    {
      SweepStore store;
      scenario.prepare(store);
      outcome.before = FolderState();
      outlook_standin::ResetCallCounts();
      outlook_standin::WatchCallerLock(kStoreLockName);
      if (fault != nullptr) outlook_standin::ArmFault(*fault);
      outcome.answer = scenario.operation(store);
      if (calls != nullptr) *calls = CallsMade();
      outlook_standin::DisarmFaults();
      EXPECT_EQ(outlook_standin::CallsWithoutLock(), 0) << "Outlook calls made without the store lock";
      outlook_standin::WatchCallerLock({});
      EXPECT_TRUE(AnotherThreadGetsTheLockAtOnce()) << "the store lock is still held";
      outcome.folder = FolderNow();
      outcome.after = FolderState();
    }
    EXPECT_EQ(CReplObject::LiveCount(), handles_before) << "handle objects leaked";
    EXPECT_EQ(outlook_standin::LiveObjectCount(), outlook_objects_before) << "Outlook objects leaked";
    return outcome;
  }
};

TEST_F(FaultSweep, EveryOutlookFailureGetsTheFailureAnswerAndLeavesTheFolderAsAnswered) {
  for (const Scenario& scenario : kScenarios) {
    SCOPED_TRACE(scenario.name);
    // Member names are looked up once per process: a first run does that, so
    // the measured run makes the same calls as every faulted run after it.
    Run(scenario, nullptr);
    std::map<OutlookCall, long> calls;
    const Outcome clean = Run(scenario, nullptr, &calls);
    ASSERT_TRUE(SUCCEEDED(clean.answer)) << "the run without a fault must succeed";

    long faults = 0;
    for (OutlookCall call : kAllCalls) {
      for (long occurrence = 1; occurrence <= calls[call]; ++occurrence, ++faults) {
        SCOPED_TRACE(testing::Message() << "call kind " << static_cast<int>(call) << ", occurrence " << occurrence);
        const outlook_standin::Fault fault{.call = call, .result = kFault, .occurrence = occurrence};
        const Outcome faulted = Run(scenario, &fault);
        if (scenario.answer_on_failure) {
          EXPECT_EQ(faulted.answer, *scenario.answer_on_failure) << "answered 0x" << std::hex << faulted.answer;
        } else if (SUCCEEDED(faulted.answer)) {
          EXPECT_TRUE(scenario.may_succeed_as_clean && faulted == clean)
              << "succeeded with 0x" << std::hex << faulted.answer;
          continue;
        }
        if (scenario.may_remove_duplicates) {
          EXPECT_TRUE(RemovedOnlyDuplicates(faulted.before, faulted.after)) << "the folder lost a contact";
        } else {
          EXPECT_EQ(faulted.after, faulted.before) << "a failure changed Outlook's folder";
        }
      }
    }
    EXPECT_GT(faults, 0) << "the operation reaches Outlook";
  }
}

}  // namespace
}  // namespace pelloquin::test
