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
  const HostOptions contract = Parse({L"--device", L"d", L"--watch", L"--trace", L"--date-changed", L"--remote"});
  EXPECT_TRUE(contract.watch && contract.trace && contract.dateChanged && contract.remote);
  const HostOptions unpair = Parse({L"--device", L"C:\\d", L"--unpair"});
  EXPECT_TRUE(unpair.unpair);
  EXPECT_FALSE(unpair.synchronise) << "ending the partnership synchronises nothing";
  EXPECT_EQ(unpair.state, L"C:\\d.partnership");
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

TEST(CommandLine, NamesWhatItRefuses) {
  const struct {
    std::vector<std::wstring_view> args;
    std::string message;
  } cases[] = {
      {{L"--device", L"a", L"--device", L"b"}, "--device is given twice"},
      {{L"--device", L"a", L"--state", L"s", L"--state", L"t"}, "--state is given twice"},
      {{L"--device", L"a", L"--conflicts", L"skip", L"--conflicts", L"device"}, "--conflicts is given twice"},
      {{L"--device", L"a", L"--quiet", L"--quiet"}, "--quiet is given twice"},
      {{L"--device", L"a", L"extra"}, "unknown argument \"extra\""},
      {{L"--device", L"a", L"--conflicts"}, "--conflicts needs a value"},
      {{L"--no-sync"}, "--no-sync leaves nothing to do without --options or --remove-duplicates"},
      {{L"--device", L"a", L"--remote", L"--options"}, "--options opens a window, which a remote connection must not"},
      {{L"--device", L"a", L"--watch", L"--no-sync", L"--options"},
       "--watch synchronises; it cannot go with --no-sync or --unpair"},
      {{L"--device", L"a", L"--watch", L"--unpair"}, "--watch synchronises; it cannot go with --no-sync or --unpair"},
      {{L"--unpair"}, "give the device's store with --device (or the host state with --state) for --unpair"},
  };
  for (const auto& row : cases) {
    try {
      Parse(row.args);
      ADD_FAILURE() << row.message << ": not refused";
    } catch (const UsageError& error) {
      EXPECT_EQ(error.what(), row.message);
    }
  }
}

TEST(CommandLine, HelpAnywhereAsksForTheUsageAlone) {
  EXPECT_TRUE(Parse({L"/?"}).help);
  EXPECT_TRUE(Parse({L"--device", L"d", L"--verbose", L"--help"}).help) << "nothing else is looked at";
}

}  // namespace
}  // namespace sync_host
