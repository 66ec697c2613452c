// A contact changed on both sides: described by the provider, settled by the
// policy the user chose, and no conflict at all when both sides agree.
#include "sync_host_fixture.h"

namespace sync_host_testing {
namespace {

class ConflictTest : public SyncHostTest {
 protected:
  // Anna Smyth, renamed "smith" on the desktop and "Smith" on the device.
  void ChangeOnBothSides() {
    id_ = Seed({FullContact(L"Smyth", L"Anna")})[0];
    ASSERT_EQ(Sync().exitCode, 0u);
    EditOnDesktop(id_, FieldId::LastName, L"smith");
    EditOnDevice(DeviceIdOf(id_), FieldId::LastName, u"Smith");
  }

  std::wstring id_;
};

constexpr char kProviderCannotDescribe[] = "the provider gives no description";

TEST_F(ConflictTest, EachPolicySettlesTheConflictItsWay) {
  struct Case {
    const wchar_t* policy;
    const char16_t* desktopAfter;
    const char16_t* deviceAfter;
    const char* outcome;
    DWORD exitCode;  // a conflict left as it was is work left undone
  };
  const Case cases[] = {
      {L"skip", u"smith", u"Smith", "both left as they are", 1},
      {L"desktop", u"smith", u"smith", "the desktop's version kept", 0},
      {L"device", u"Smith", u"Smith", "the device's version kept", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "--conflicts " << std::string(c.policy, c.policy + wcslen(c.policy)));
    outlook_standin::ResetFolder();
    std::filesystem::remove(device_);
    std::filesystem::remove(state_);
    ChangeOnBothSides();

    const auto run = Sync({L"--conflicts", c.policy});
    EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
    EXPECT_EQ(run.output.find("not everything was synchronised: 1 conflict left as it was") != std::string::npos,
              c.exitCode == 1)
        << run.output;
    EXPECT_EQ(Summary(run.output), "sent 0, received 0, deleted 0, conflicts 1, skipped 0, failed 0") << run.output;
    EXPECT_NE(run.output.find(c.outcome), std::string::npos) << run.output;
    const auto desktop = outlook_standin::FolderContents();
    ASSERT_EQ(desktop.size(), 1u) << "the device's version stays in the desktop store only while it is described";
    EXPECT_EQ(Text(DesktopRecord(id_), FieldId::LastName), c.desktopAfter);
    const auto entries = DeviceEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(Text(entries[0].record, FieldId::LastName), c.deviceAfter);
    if (std::u16string_view(c.desktopAfter) == c.deviceAfter) {
      ExpectConverged();
    } else {
      EXPECT_EQ(entries[0].marks, (device::Marks{.changed = true}));
      const auto again = Sync();
      EXPECT_EQ(Summary(again.output), "sent 0, received 0, deleted 0, conflicts 1, skipped 0, failed 0")
          << "a skipped conflict comes back:\n" << again.output;
    }
  }
}

TEST_F(ConflictTest, TheProviderDescribesBothVersions) {
  ChangeOnBothSides();
  const auto run = Sync();
  ASSERT_EQ(run.output.find(kProviderCannotDescribe), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("  conflict  Smith, Anna: \"Anna_smith\" on the desktop, \"Anna_Smith\" on the device; "
                            "both left as they are\n"),
            std::string::npos)
      << run.output;
}

TEST_F(ConflictTest, VersionsChangedAlikeAreNoConflict) {
  const auto id = Seed({FullContact(L"Berg", L"Anna")})[0];
  ASSERT_EQ(Sync().exitCode, 0u);
  EditOnDesktop(id, FieldId::Title, L"Dr");
  EditOnDevice(DeviceIdOf(id), FieldId::Title, u"Dr");

  const auto run = Sync();
  EXPECT_EQ(Summary(run.output), "sent 0, received 0, deleted 0, conflicts 0, skipped 0, failed 0") << run.output;
  EXPECT_NE(run.output.find("changed alike on both sides"), std::string::npos) << run.output;
  EXPECT_EQ(outlook_standin::FolderContents().size(), 1u);
  ExpectConverged();
}

}  // namespace
}  // namespace sync_host_testing
