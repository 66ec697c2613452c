// The host's state between connections: kept across restarts, rebuilt from
// the contacts themselves when lost, refused when it belongs to another
// store, and never the cause of a lost contact when the host is killed.
#include <fstream>

#include "host_state_format.h"
#include "sync_host_fixture.h"

namespace sync_host_testing {
namespace {

using test_support::ContactWith;

std::wstring Numbered(const wchar_t* stem, int number) { return stem + std::to_wstring(100 + number); }

class InterruptionTest : public SyncHostTest {
 protected:
  // Runs the host and kills it once it has reported `contacts` contacts.
  // Answers whether the kill came before the host had finished.
  bool SyncKilledAfter(int contacts, std::vector<std::wstring> options = {}) {
    standin_testing::ChildProcess host(standin_testing::ProgramBesideTest(L"SyncHost.exe"), HostArguments(options));
    int reported = 0;
    while (const auto line = host.NextLine()) {
      if (line->starts_with("  ") && ++reported == contacts) {
        host.Kill();
        return host.Wait().exitCode == standin_testing::ChildProcess::kKilled;
      }
    }
    return false;
  }

  void StartAfresh() {
    outlook_standin::ResetFolder();
    std::filesystem::remove(device_);
    std::filesystem::remove(state_);
  }
};

TEST_F(InterruptionTest, AHostKilledMidwayLosesNothingAndTheNextSynchronisationConverges) {
  int interrupted = 0;
  for (const int killAfter : {1, 3, 7, 12}) {
    SCOPED_TRACE(testing::Message() << "killed after " << killAfter << " contacts");
    StartAfresh();
    std::vector<outlook_standin::FolderItem> items;
    std::vector<std::wstring> expected;
    for (int i = 0; i < 30; ++i) {
      items.push_back(FullContact(Numbered(L"Desk", i), L"D"));
      expected.push_back(Numbered(L"Desk", i));
    }
    const auto ids = Seed(items);
    for (int i = 0; i < 3; ++i) {
      AddOnDevice(Numbered(L"Phone", i));
      expected.push_back(Numbered(L"Phone", i));
    }

    // A first synchronisation, killed and run again.
    interrupted += SyncKilledAfter(killAfter);
    ASSERT_EQ(Sync().exitCode, 0u);
    EXPECT_EQ(LastNamesOnBothSides(), OnBothSides(expected));
    ExpectConverged();

    // Changes on both sides, a conflict among them, killed and run again.
    for (int i = 0; i < 4; ++i) EditOnDesktop(ids[i], FieldId::Title, L"Desktop edit");
    for (int i = 4; i < 7; ++i) DeleteOnDesktop(ids[i]);
    for (int i = 7; i < 11; ++i) EditOnDevice(DeviceIdOf(ids[i]), FieldId::Title, u"Device edit");
    for (int i = 11; i < 14; ++i) DeleteOnDevice(DeviceIdOf(ids[i]));
    for (int i = 3; i < 6; ++i) {
      AddOnDevice(Numbered(L"Phone", i));
      expected.push_back(Numbered(L"Phone", i));
    }
    EditOnDevice(DeviceIdOf(ids[20]), FieldId::Title, u"Device side");
    EditOnDesktop(ids[20], FieldId::Title, L"Desktop side");
    std::erase_if(expected, [](const std::wstring& name) {
      for (int i = 4; i < 14; ++i) {
        if (i >= 7 && i < 11) continue;
        if (name == Numbered(L"Desk", i)) return true;
      }
      return false;
    });

    interrupted += SyncKilledAfter(killAfter, {L"--conflicts", L"desktop"});
    const auto completed = Sync({L"--conflicts", L"desktop"});
    ASSERT_EQ(completed.exitCode, 0u) << completed.output;
    EXPECT_EQ(LastNamesOnBothSides(), OnBothSides(expected));
    const auto desktop = DesktopRecords();
    const auto titleOf = [&](const std::wstring& lastName) {
      for (const auto& record : desktop) {
        if (Text(record, FieldId::LastName) == std::u16string(lastName.begin(), lastName.end())) {
          return Text(record, FieldId::Title);
        }
      }
      return std::u16string(u"(missing)");
    };
    EXPECT_EQ(titleOf(Numbered(L"Desk", 0)), u"Desktop edit");
    EXPECT_EQ(titleOf(Numbered(L"Desk", 8)), u"Device edit");
    EXPECT_EQ(titleOf(Numbered(L"Desk", 20)), u"Desktop side");
    ExpectConverged();
  }
  EXPECT_GT(interrupted, 0) << "every kill came after the host had finished: nothing was interrupted";
}

TEST_F(InterruptionTest, TheStateSurvivesARestartOfTheHost) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Berg"}}), ContactWith({{L"LastName", L"Lind"}})});
  ASSERT_EQ(Sync().exitCode, 0u);
  const auto saved = std::filesystem::file_size(state_);
  EXPECT_GT(saved, 0u);
  // Each run is a new process; only the state file links it to the last.
  EditOnDesktop(ids[0], FieldId::Title, L"Dr");
  EXPECT_EQ(Summary(Sync().output), "sent 1, received 0, deleted 0, conflicts 0, skipped 0, failed 0");
  EXPECT_EQ(DeviceEntries().size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(state_) += L".new")) << "the state is replaced whole";
}

TEST_F(InterruptionTest, ALostStateIsRebuiltByPairingEqualContactsInsteadOfCopyingThem) {
  Seed({ContactWith({{L"LastName", L"Berg"}}), ContactWith({{L"LastName", L"Lind"}}), ContactWith({{L"LastName", L"Moe"}})});
  ASSERT_EQ(Sync().exitCode, 0u);
  std::filesystem::remove(state_);
  AddOnDevice(L"Newman");

  const auto run = Sync();
  EXPECT_EQ(Summary(run.output), "sent 0, received 1, deleted 0, conflicts 0, skipped 0, failed 0") << run.output;
  EXPECT_EQ(LastNamesOnBothSides(), OnBothSides({L"Berg", L"Lind", L"Moe", L"Newman"}));
  ExpectConverged();
}

TEST_F(InterruptionTest, AStateOfAnotherStoreIsRefusedAndLeftAlone) {
  Seed({ContactWith({{L"LastName", L"Berg"}})});
  sync_host::HostState other;
  other.storeId = {std::byte{'O'}, std::byte{'t'}, std::byte{'h'}, std::byte{'e'}, std::byte{'r'}};
  const sync_host::Bytes foreign = sync_host::EncodeHostState(other);
  std::ofstream(state_, std::ios::binary).write(reinterpret_cast<const char*>(foreign.data()), foreign.size());

  const auto run = Sync();
  EXPECT_EQ(run.exitCode, 1u) << run.output;
  EXPECT_NE(run.output.find("belongs to another desktop store"), std::string::npos) << run.output;
  EXPECT_EQ(std::filesystem::file_size(state_), foreign.size());
  EXPECT_TRUE(DeviceEntries().empty());
}

TEST_F(InterruptionTest, ADamagedStateIsRefusedAndLeftAlone) {
  Seed({ContactWith({{L"LastName", L"Berg"}})});
  std::ofstream(state_, std::ios::binary) << "SHST garbage";

  const auto run = Sync();
  EXPECT_EQ(run.exitCode, 1u) << run.output;
  EXPECT_NE(run.output.find("device.dvc.partnership: the host state file"), std::string::npos) << run.output;
  EXPECT_EQ(std::filesystem::file_size(state_), 12u);
  EXPECT_TRUE(DeviceEntries().empty());
}

}  // namespace
}  // namespace sync_host_testing
