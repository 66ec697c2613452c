// SyncHost's command line.
#include <gtest/gtest.h>

#include <vector>

#include "command_line.h"

namespace sync_host {
namespace {

HostOptions Parse(std::vector<std::wstring_view> args) { return ParseCommandLine(args); }

TEST(CommandLine, TheStateLivesNextToTheDeviceUnlessChosen) {
  const HostOptions options = Parse({L"--device", L"C:\\d\\phone.dvc"});
  EXPECT_EQ(options.state, L"C:\\d\\phone.dvc.partnership");
  EXPECT_EQ(options.policy, ConflictPolicy::Skip);
  EXPECT_TRUE(options.synchronise);
  EXPECT_FALSE(options.optionsDialog || options.removeDuplicates || options.quiet);
  EXPECT_EQ(Parse({L"--state", L"C:\\s", L"--device", L"C:\\d"}).state, L"C:\\s");
}

TEST(CommandLine, ReadsEveryOption) {
  const HostOptions options = Parse({L"--device", L"d", L"--conflicts", L"device", L"--options",
                                     L"--remove-duplicates", L"--quiet"});
  EXPECT_EQ(options.policy, ConflictPolicy::DeviceWins);
  EXPECT_TRUE(options.optionsDialog && options.removeDuplicates && options.quiet);
  EXPECT_EQ(Parse({L"--device", L"d", L"--conflicts", L"desktop"}).policy, ConflictPolicy::DesktopWins);
  EXPECT_FALSE(Parse({L"--no-sync", L"--options"}).synchronise) << "no device needed";
  EXPECT_TRUE(Parse({L"--help"}).help);
}

TEST(CommandLine, RefusesMistakes) {
  const std::vector<std::vector<std::wstring_view>> mistakes = {
      {},
      {L"--device"},
      {L"--device", L"d", L"--conflicts"},
      {L"--device", L"d", L"--conflicts", L"newest"},
      {L"--device", L"d", L"--verbose"},
      {L"d"},
  };
  for (const auto& args : mistakes) EXPECT_THROW(Parse(args), UsageError) << args.size() << " arguments";
}

}  // namespace
}  // namespace sync_host
