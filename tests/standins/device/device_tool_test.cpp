// DeviceTool as a person runs it: the commands, what they print, and the
// mistakes it refuses without touching the store.
#include <gtest/gtest.h>

#include "child_process.h"
#include "device_store.h"

namespace device {
namespace {

using contact_core::FieldId;
using standin_testing::Finished;
using standin_testing::ProgramBesideTest;
using standin_testing::ScratchFolder;

class DeviceToolTest : public ::testing::Test {
 protected:
  Finished Tool(std::vector<std::wstring> args) {
    args.insert(args.begin(), file_.wstring());
    return standin_testing::Run(ProgramBesideTest(L"DeviceTool.exe"), args);
  }
  std::vector<Entry> Entries() { return DeviceStore(file_, DeviceStore::Access::Read).Entries(); }

  ScratchFolder folder_{L"device-tool"};
  std::filesystem::path file_ = folder_ / L"contacts.dvc";
};

TEST_F(DeviceToolTest, AddsEditsAndDeletesMarkingEachChange) {
  EXPECT_EQ(Tool({L"add", L"LastName=Berg", L"FirstName=Anna"}).output, "Added contact 1\n");
  EXPECT_EQ(Tool({L"add", L"lastname=Ødegård"}).exitCode, 0u);
  EXPECT_EQ(Tool({L"edit", L"1", L"CompanyName=Norvane", L"FirstName="}).output, "Changed contact 1\n");
  EXPECT_EQ(Tool({L"delete", L"2"}).output, "Deleted contact 2\n");

  const auto entries = Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].record.Text(FieldId::LastName), u"Berg");
  EXPECT_EQ(entries[0].record.Text(FieldId::FirstName), u"");
  EXPECT_EQ(entries[0].record.Text(FieldId::CompanyName), u"Norvane");
  EXPECT_EQ(entries[0].marks, (Marks{.changed = true}));
  EXPECT_EQ(entries[1].marks, (Marks{.deleted = true}));
  EXPECT_EQ(entries[1].record.Text(FieldId::LastName), u"Ødegård") << "a deleted contact keeps its record";

  const Finished list = Tool({L"list"});
  EXPECT_EQ(list.exitCode, 0u);
  EXPECT_EQ(list.output,
            "2 contacts on the device\n"
            "    1  changed  Berg (Norvane)\n"
            "    2  deleted  Ødegård\n");
  EXPECT_EQ(Tool({L"show", L"1"}).output,
            "Contact 1 (changed on the device)\n"
            "  LastName                   Berg\n"
            "  CompanyName                Norvane\n");
}

TEST_F(DeviceToolTest, RefusesMistakesAndLeavesTheStoreAsItWas) {
  ASSERT_EQ(Tool({L"add", L"LastName=Berg"}).exitCode, 0u);
  ASSERT_EQ(Tool({L"add", L"LastName=Gone"}).exitCode, 0u);
  ASSERT_EQ(Tool({L"delete", L"2"}).exitCode, 0u);
  const auto before = std::filesystem::file_size(file_);
  const auto entriesBefore = Entries();

  struct Case {
    std::vector<std::wstring> args;
    DWORD exitCode;
    const char* says;
  };
  const Case cases[] = {
      {{L"frobnicate"}, 2, "unknown command \"frobnicate\""},
      {{L"add"}, 2, "give at least one Field=Value"},
      {{L"add", L"Surname=Berg"}, 1, "no contact field \"Surname\""},
      {{L"add", L"EntryID=00"}, 1, "assigned by the desktop"},
      {{L"edit", L"1", L"MobileTelephoneNumber=" + std::wstring(32, L'1')}, 1, "at most 31 characters"},
      {{L"edit", L"x1", L"Title=Dr"}, 2, "\"x1\" is not a contact id"},
      {{L"edit", L"0", L"Title=Dr"}, 2, "\"0\" is not a contact id"},
      {{L"edit", L"4294967296", L"Title=Dr"}, 2, "is not a contact id"},
      {{L"edit", L"9", L"Title=Dr"}, 1, "the device holds no contact 9"},
      {{L"edit", L"2", L"Title=Dr"}, 1, "contact 2 is deleted"},
      {{L"delete", L"2"}, 1, "contact 2 is deleted"},
      {{L"show", L"9"}, 1, "the device holds no contact 9"},
      {{L"list", L"extra"}, 2, "list takes no arguments: \"extra\" is one too many"},
      {{L"delete", L"1", L"2"}, 2, "delete takes one contact id: \"2\" is one too many"},
      {{L"show", L"1", L"2"}, 2, "show takes one contact id: \"2\" is one too many"},
      {{L"show", L"1", L"--all"}, 2, "\"--all\" is not understood"},
      {{L"show"}, 2, "show takes one contact id"},
  };
  for (const Case& c : cases) {
    const Finished run = Tool(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.says;
    EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
  }
  EXPECT_EQ(std::filesystem::file_size(file_), before);
  const auto entriesAfter = Entries();
  ASSERT_EQ(entriesAfter.size(), entriesBefore.size());
  for (std::size_t i = 0; i < entriesAfter.size(); ++i) {
    EXPECT_EQ(entriesAfter[i].record, entriesBefore[i].record);
    EXPECT_EQ(entriesAfter[i].marks, entriesBefore[i].marks);
  }
}

TEST_F(DeviceToolTest, OnlyAddMakesAStoreThatIsNotThere) {
  for (const std::vector<std::wstring>& args : {std::vector<std::wstring>{L"list"}, {L"show", L"1"}, {L"delete", L"1"},
                                                {L"edit", L"1", L"Title=Dr"}}) {
    const Finished run = Tool(args);
    EXPECT_EQ(run.exitCode, 1u) << run.output;
    EXPECT_NE(run.output.find("there is no device store at"), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(file_)) << run.output;
  }
}

TEST_F(DeviceToolTest, HelpPrintsTheUsageAndChangesNothing) {
  for (const std::vector<std::wstring>& args : {std::vector<std::wstring>{L"--help"}, {L"/?"}, {L"add", L"LastName=Berg", L"--help"}}) {
    const Finished run = Tool(args);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.output.starts_with("Usage: DeviceTool STORE COMMAND")) << run.output;
    EXPECT_NE(run.output.find("Exit status: 0 done, 1 failed"), std::string::npos) << run.output;
  }
  EXPECT_FALSE(std::filesystem::exists(file_));
}

}  // namespace
}  // namespace device
