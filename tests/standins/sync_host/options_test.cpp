// What SyncHost asks of the provider besides synchronising: the Sync Options
// dialog, duplicate removal; and its own command line.
#include <windows.h>
#include <commctrl.h>

#include "sync_host_fixture.h"

namespace sync_host_testing {
namespace {

using test_support::ContactWith;

constexpr int kOptionList = 3003;
constexpr int kSyncSelected = 3005;

// Checks one row of a list view in another process: the item record the
// message points to must live in that process.
void CheckRow(HANDLE process, HWND list, int row) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(2);
  void* remote = VirtualAllocEx(process, nullptr, sizeof item, MEM_COMMIT, PAGE_READWRITE);
  ASSERT_NE(remote, nullptr);
  ASSERT_TRUE(WriteProcessMemory(process, remote, &item, sizeof item, nullptr));
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK),
            static_cast<LRESULT>(INDEXTOSTATEIMAGEMASK(2)));
}

TEST_F(SyncHostTest, WithSyncSelectedAndTwoContactsCheckedOnlyThoseTwoReachTheDevice) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Berg"}}), ContactWith({{L"LastName", L"Lind"}}), ContactWith({{L"LastName", L"Moe"}}), ContactWith({{L"LastName", L"Nygaard"}})});
  standin_testing::ChildProcess host(standin_testing::ProgramBesideTest(L"SyncHost.exe"), HostArguments({L"--options"}));
  const HWND dialog = OptionsDialogOf(host);
  if (dialog == nullptr) {
    const auto run = host.Wait();
    FAIL() << "no Sync Options window appeared (a provider without one fails):\n" << run.output;
  }
  SendMessageW(GetDlgItem(dialog, kSyncSelected), BM_CLICK, 0, 0);
  const HWND list = GetDlgItem(dialog, kOptionList);
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 4);
  {
    const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, host.Id());
    ASSERT_NE(process, nullptr);
    CheckRow(process, list, 0);
    CheckRow(process, list, 2);
    CloseHandle(process);
  }
  SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);

  const auto run = host.Wait();
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_EQ(Summary(run.output), "sent 2, received 0, deleted 0, conflicts 0, skipped 2, failed 0") << run.output;
  const auto entries = DeviceEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(Text(entries[0].record, FieldId::EntryID), std::u16string(ids[0].begin(), ids[0].end()));
  EXPECT_EQ(Text(entries[1].record, FieldId::EntryID), std::u16string(ids[2].begin(), ids[2].end()));
}

TEST_F(SyncHostTest, DuplicateRemovalLeavesTheLastOfEqualContacts) {
  Seed({FullContact(L"Berg", L"Anna"), FullContact(L"Lind", L"Bo"), FullContact(L"Berg", L"Anna")});
  const auto run = standin_testing::Run(standin_testing::ProgramBesideTest(L"SyncHost.exe"),
                                        {L"--remove-duplicates", L"--no-sync"});
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  ASSERT_EQ(run.output.find("does not offer duplicate removal"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("Duplicate removal: 1 duplicate contact removed from the desktop; 2 items are left"),
            std::string::npos)
      << run.output;
  const auto desktop = outlook_standin::FolderContents();
  ASSERT_EQ(desktop.size(), 2u) << run.output;
  EXPECT_EQ(desktop[0].contact.Get(L"LastName"), L"Lind");
  EXPECT_EQ(desktop[1].contact.Get(L"LastName"), L"Berg");

  const auto again = standin_testing::Run(standin_testing::ProgramBesideTest(L"SyncHost.exe"),
                                          {L"--remove-duplicates", L"--no-sync"});
  EXPECT_EQ(again.exitCode, 0u) << again.output;
  EXPECT_NE(again.output.find("Duplicate removal: no duplicate contacts on the desktop (2 items"), std::string::npos)
      << again.output;
}

TEST_F(SyncHostTest, TheCommandLineIsExplainedAndMistakesAreRefused) {
  const auto program = standin_testing::ProgramBesideTest(L"SyncHost.exe");
  const auto help = standin_testing::Run(program, {L"--help"});
  EXPECT_EQ(help.exitCode, 0u);
  EXPECT_TRUE(help.output.starts_with("Usage: SyncHost --device STORE [options]\n")) << help.output;

  const auto wrong = standin_testing::Run(program, {L"--device", device_.wstring(), L"--conflicts", L"newest"});
  EXPECT_EQ(wrong.exitCode, 2u);
  EXPECT_TRUE(wrong.output.starts_with("SyncHost: unknown conflict policy \"newest\"")) << wrong.output;
  EXPECT_FALSE(std::filesystem::exists(device_)) << "a refused command changes nothing";

  const auto twice = standin_testing::Run(program, {L"--device", device_.wstring(), L"--device", L"C:\\other.dvc"});
  EXPECT_EQ(twice.exitCode, 2u);
  EXPECT_TRUE(twice.output.starts_with("SyncHost: --device is given twice")) << twice.output;
  const auto slashHelp = standin_testing::Run(program, {L"--device", device_.wstring(), L"/?"});
  EXPECT_EQ(slashHelp.exitCode, 0u);
  EXPECT_NE(slashHelp.output.find("Exit status: 0 when everything asked was done"), std::string::npos) << slashHelp.output;
  EXPECT_FALSE(std::filesystem::exists(device_)) << "help changes nothing";
}

}  // namespace
}  // namespace sync_host_testing
