// SyncHost drives the provider with the whole published call pattern: a
// series of traced synchronisations, each in a situation the published
// reference names, holds every method of the store and of its object handler
// and every status code, each run in an order the reference allows, and the
// provider answers every call without failing the run.
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sync_host_fixture.h"

namespace sync_host_testing {
namespace {

// One line of the trace: "[t1] Method(arguments) -> answer".
struct Call {
  int thread = 0;
  std::string method;
  std::string arguments;
  std::string answer;
  std::string line;
};

std::vector<Call> CallsIn(const std::string& output) {
  std::vector<Call> calls;
  std::size_t start = 0;
  while (start < output.size()) {
    std::size_t end = output.find('\n', start);
    if (end == std::string::npos) end = output.size();
    const std::string line = output.substr(start, end - start);
    start = end + 1;
    if (!line.starts_with("[t")) continue;
    Call call;
    call.line = line;
    const std::size_t bracket = line.find("] ");
    call.thread = std::stoi(line.substr(2, bracket - 2));
    const std::size_t open = line.find('(', bracket);
    call.method = line.substr(bracket + 2, open - bracket - 2);
    const std::size_t arrow = line.rfind(") -> ");
    const std::size_t close = arrow != std::string::npos ? arrow : line.rfind(')');
    call.arguments = line.substr(open + 1, close - open - 1);
    if (arrow != std::string::npos) call.answer = line.substr(arrow + 5);
    calls.push_back(call);
  }
  return calls;
}

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t comma; (comma = text.find(", ", start)) != std::string::npos; start = comma + 2) {
    parts.push_back(text.substr(start, comma - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

// The status code a ReportStatus line reports, and its parameter.
std::string StatusOf(const Call& call) { return call.method == "ReportStatus" ? Split(call.arguments).at(2) : ""; }
std::string ParamOf(const Call& call) { return Split(call.arguments).at(3); }

bool Has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// Where one run's calls break the order the published reference gives.
std::vector<std::string> OrderProblems(const std::vector<Call>& calls) {
  std::vector<std::string> problems;
  const auto problem = [&](const Call& call, const std::string& why) { problems.push_back(why + ": " + call.line); };
  if (calls.size() < 2 || calls[0].method != "GetStoreInfo" || calls[1].method != "Initialize") {
    problems.push_back("a connection begins with GetStoreInfo, then Initialize");
  }
  bool initialized = false, folderOpen = false, inSync = false, inObject = false, inCheck = false;
  bool enumerating = false, enumerated = false, inBatch = false, released = false, remote = false, connected = false;
  std::map<int, std::string> objectUnderWay;  // per thread: "read" or "write" between Setup and Reset
  for (const Call& call : calls) {
    if (released) problem(call, "a call after RSC_RELEASE");
    if (call.thread != 1) {
      // The polling thread.
      if (call.method != "IsFolderChanged") problem(call, "the polling thread calls IsFolderChanged only");
      if (inSync && Has(call.answer, "changed TRUE")) problem(call, "a poll during a synchronisation found a change");
      if (!folderOpen) problem(call, "polled before GetFolderInfo");
      continue;
    }
    const std::string& m = call.method;
    if (m == "Initialize") initialized = true;
    if (!initialized && m != "GetStoreInfo") problem(call, "a call before Initialize");
    if (m == "GetFolderInfo") {
      if (inSync) problem(call, "GetFolderInfo during a synchronisation");
      folderOpen = true;
    }
    if ((m == "IsFolderChanged" || m.starts_with("Find") || m.starts_with("IsItem") || m == "UpdateItem" ||
         m == "IsValidObject" || m == "GetObjTypeUIData") &&
        !folderOpen) {
      problem(call, "a folder call before GetFolderInfo");
    }
    if (m == "FindFirstItem") {
      if (!inCheck || enumerating) problem(call, "FindFirstItem outside RSC_BEGIN_CHECK .. RSC_END_CHECK");
      enumerating = enumerated = true;
    }
    if (m == "FindNextItem" && !enumerating) problem(call, "FindNextItem without FindFirstItem");
    if (m == "FindItemClose") {
      if (!enumerating) problem(call, "FindItemClose without FindFirstItem");
      enumerating = false;
    }
    if (m == "Setup") {
      if (objectUnderWay.contains(call.thread)) problem(call, "Setup before the last object was Reset");
      objectUnderWay[call.thread] = Has(call.arguments, "read") ? "read" : "write";
    }
    if (m == "GetPacket" && objectUnderWay[call.thread] != "read") problem(call, "GetPacket without Setup to read");
    if (m == "SetPacket") {
      if (objectUnderWay[call.thread] != "write") problem(call, "SetPacket without Setup to write");
      if (!inBatch) problem(call, "SetPacket outside RSC_BEGIN_BATCH_WRITE .. RSC_END_BATCH_WRITE");
    }
    if (m == "Reset") {
      if (!objectUnderWay.contains(call.thread)) problem(call, "Reset without Setup");
      objectUnderWay.erase(call.thread);
    }
    if ((m == "DeleteObj" || m == "GetConflictInfo" || m == "CopyObject") && !inObject) {
      problem(call, m + " outside RSC_BEGIN_SYNC_OBJ .. RSC_END_SYNC_OBJ");
    }
    if (m != "ReportStatus") continue;
    if (call.answer != "S_OK") problem(call, "a status report failed");
    const std::string status = StatusOf(call);
    const bool on = ParamOf(call) != "0x0";
    if (status == "RSC_BEGIN_SYNC") {
      if (inSync) problem(call, "a synchronisation began while one ran");
      if (!folderOpen) problem(call, "RSC_BEGIN_SYNC before GetFolderInfo");
      inSync = true;
      enumerated = false;
    } else if (status == "RSC_END_SYNC") {
      if (!inSync || inObject) problem(call, "RSC_END_SYNC without RSC_BEGIN_SYNC, or inside the object type's");
      inSync = false;
    } else if (status == "RSC_BEGIN_SYNC_OBJ") {
      if (!inSync || inObject) problem(call, "RSC_BEGIN_SYNC_OBJ outside a synchronisation");
      inObject = true;
    } else if (status == "RSC_END_SYNC_OBJ") {
      if (!inObject || inCheck || inBatch) problem(call, "RSC_END_SYNC_OBJ unmatched or with a bracket open");
      inObject = false;
    } else if (status == "RSC_BEGIN_CHECK") {
      if (!inObject || inCheck) problem(call, "RSC_BEGIN_CHECK outside the object type's synchronisation");
      inCheck = true;
    } else if (status == "RSC_END_CHECK") {
      if (!inCheck || enumerating) problem(call, "RSC_END_CHECK before FindItemClose");
      inCheck = false;
    } else if (status == "RSC_BEGIN_BATCH_WRITE") {
      if (!inObject || inBatch) problem(call, "RSC_BEGIN_BATCH_WRITE outside the object type's synchronisation");
      inBatch = true;
    } else if (status == "RSC_END_BATCH_WRITE") {
      if (!inBatch) problem(call, "RSC_END_BATCH_WRITE without its beginning");
      inBatch = false;
    } else if (status == "RSC_TIME_CHANGED" || status == "RSC_DATE_CHANGED") {
      if (!inObject || enumerated || inBatch) problem(call, "the date's change told after objects were looked at");
    } else if (status.starts_with("RSC_WRITE_OBJ") || status.starts_with("RSC_DELETE_OBJ")) {
      if (!inBatch) problem(call, "a device write told outside the batch of writes");
    } else if (status == "RSC_INTERRUPT") {
      if (!inObject) problem(call, "RSC_INTERRUPT outside a synchronisation");
    } else if (status == "RSC_REMOTE_SYNC") {
      if (inSync || remote == on) problem(call, "RSC_REMOTE_SYNC not around a synchronisation");
      remote = on;
    } else if (status == "RSC_CONNECTION_CHG") {
      if (inSync || connected == on) problem(call, "RSC_CONNECTION_CHG not around the synchronisations");
      connected = on;
    } else if (status.starts_with("RSC_OBJ_TYPE")) {
      if (inSync) problem(call, "the object type enabled or disabled during a synchronisation");
    } else if (status == "RSC_RELEASE") {
      if (inSync || connected || remote) problem(call, "RSC_RELEASE with a synchronisation or connection open");
      released = true;
    }
  }
  if (!released) problems.push_back("no RSC_RELEASE at the end");
  if (!objectUnderWay.empty()) problems.push_back("an object was never Reset");
  return problems;
}

const std::set<std::string> kPublishedMethods = {
    "Initialize", "GetStoreInfo", "ReportStatus", "CompareStoreIDs", "CompareItem", "IsItemChanged",
    "IsItemReplicated", "UpdateItem", "GetFolderInfo", "IsFolderChanged", "FindFirstItem", "FindNextItem",
    "FindItemClose", "ObjectToBytes", "BytesToObject", "FreeObject", "CopyObject", "IsValidObject",
    "ActivateDialog", "GetObjTypeUIData", "GetConflictInfo", "RemoveDuplicates",
    // The object handler.
    "Setup", "Reset", "GetPacket", "SetPacket", "DeleteObj",
};

const std::set<std::string> kPublishedStatusCodes = {
    "RSC_BEGIN_SYNC", "RSC_END_SYNC", "RSC_BEGIN_CHECK", "RSC_END_CHECK", "RSC_DATE_CHANGED", "RSC_RELEASE",
    "RSC_REMOTE_SYNC", "RSC_INTERRUPT", "RSC_BEGIN_SYNC_OBJ", "RSC_END_SYNC_OBJ", "RSC_OBJ_TYPE_ENABLED",
    "RSC_OBJ_TYPE_DISABLED", "RSC_BEGIN_BATCH_WRITE", "RSC_END_BATCH_WRITE", "RSC_CONNECTION_CHG",
    "RSC_WRITE_OBJ_SUCCESS", "RSC_DELETE_OBJ_SUCCESS", "RSC_READ_OBJ_FAILED", "RSC_TIME_CHANGED",
    // RSC_WRITE_OBJ_FAILED and RSC_DELETE_OBJ_FAILED are reported when the
    // device's store fails a write: device-full-test makes it fail to store
    // contacts; nothing here makes it fail to delete one (Wine does not hold
    // byte-range locks against writes). The provider's answer to both is
    // tested in its own tests.
};

class CallPatternTest : public SyncHostTest {
 protected:
  // One traced run: its calls, checked for order.
  std::vector<Call> Traced(const standin_testing::Finished& run, const char* what, DWORD exitCode = 0) {
    EXPECT_EQ(run.exitCode, exitCode) << what << ":\n" << run.output;
    const auto calls = CallsIn(run.output);
    for (const auto& problem : OrderProblems(calls)) ADD_FAILURE() << what << ": " << problem;
    for (const Call& call : calls) {
      methods_.insert(call.method);
      if (call.method == "ReportStatus") statusCodes_.insert(StatusOf(call));
      forms_.insert(call.method + "(" + call.arguments + ")");
    }
    return calls;
  }
  bool SawCall(const std::string& method, const char* argumentPart) const {
    return std::any_of(forms_.begin(), forms_.end(), [&](const std::string& form) {
      return form.starts_with(method + "(") && Has(form, argumentPart);
    });
  }

  std::set<std::string> methods_;
  std::set<std::string> statusCodes_;
  std::set<std::string> forms_;
};

TEST_F(CallPatternTest, TracedSynchronisationsUseEveryPublishedMethodAndStatusCodeInAnAllowedOrder) {
  const auto ids = Seed({FullContact(L"Berg", L"Anna"), FullContact(L"Lind", L"Bo"), FullContact(L"Moe", L"Cy"),
                         FullContact(L"Nygaard", L"Di"), FullContact(L"Ohlsson", L"Ed"), FullContact(L"Pihl", L"Fa"),
                         FullContact(L"Quist", L"Hj"), FullContact(L"Quist", L"Hj")});
  AddOnDevice(L"Ek", L"Gus");
  Traced(Sync({L"--trace"}), "first synchronisation");

  // Every kind of change on both sides.
  EditOnDesktop(ids[0], FieldId::MobileTelephoneNumber, L"+46 70 111");     // carried to the device
  EditOnDevice(DeviceIdOf(ids[1]), FieldId::CompanyName, u"Lind AB");       // carried to the desktop
  DeleteOnDevice(DeviceIdOf(ids[2]));                                      // deleted on the desktop
  DeleteOnDesktop(ids[3]);                                                 // deleted on the device
  EditOnDesktop(ids[4], FieldId::CompanyName, L"Ohlsson & Co");            // a conflict
  EditOnDevice(DeviceIdOf(ids[4]), FieldId::CompanyName, u"Ohlsson Ltd");
  EditOnDesktop(ids[5], FieldId::CompanyName, L"Pihl");                    // changed alike
  EditOnDevice(DeviceIdOf(ids[5]), FieldId::CompanyName, u"Pihl");
  {
    standin_testing::ChildProcess host(
        standin_testing::ProgramBesideTest(L"SyncHost.exe"),
        HostArguments({L"--trace", L"--options", L"--date-changed", L"--remove-duplicates", L"--conflicts", L"desktop"}));
    const HWND dialog = OptionsDialogOf(host);
    ASSERT_NE(dialog, nullptr) << host.Wait().output;
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    Traced(host.Wait(), "synchronisation of every kind of change");
  }
  EXPECT_EQ(outlook_standin::FolderContents().size(), 6u) << "one of the two equal contacts was removed";

  // A remote connection; it carries the removed duplicate to the device.
  EditOnDesktop(ids[1], FieldId::MobileTelephoneNumber, L"+46 70 222");
  Traced(Sync({L"--trace", L"--remote"}), "remote synchronisation");

  // A synchronisation stopped midway, as Ctrl+C stops it.
  for (const std::size_t i : {0, 1, 4}) EditOnDesktop(ids[i], FieldId::Title, L"Dr");
  const auto stopped = Traced(SyncWithFaults({L"trace", L"stopafter", L"2"}, L"desktop"), "stopped synchronisation");
  EXPECT_TRUE(std::any_of(stopped.begin(), stopped.end(), [](const Call& call) { return StatusOf(call) == "RSC_INTERRUPT"; }));

  Traced(Sync({L"--trace", L"--unpair"}), "end of the partnership");
  EXPECT_FALSE(std::filesystem::exists(state_)) << "the partnership is forgotten";
  // Pairing anew loses and doubles nothing, and carries what the stopped
  // synchronisation left.
  const auto paired = Sync();
  EXPECT_EQ(paired.exitCode, 0u) << paired.output;
  ExpectConverged();
  {
    std::ofstream(folder_ / L"unreadable.dvc", std::ios::binary) << "not a device store";
    Traced(standin_testing::Run(standin_testing::ProgramBesideTest(L"SyncHost.exe"),
                                {L"--trace", L"--device", (folder_ / L"unreadable.dvc").wstring()}),
           "a device whose store cannot be read", 1);
  }

  for (const auto& method : kPublishedMethods) EXPECT_TRUE(methods_.contains(method)) << "never called: " << method;
  for (const auto& code : kPublishedStatusCodes) EXPECT_TRUE(statusCodes_.contains(code)) << "never reported: " << code;
  EXPECT_TRUE(SawCall("IsItemReplicated", ", NULL")) << "the folder itself is asked whether it is replicated";
  EXPECT_TRUE(SawCall("GetStoreInfo", "NULL")) << "the identifier's size is asked for without a buffer";
  EXPECT_TRUE(SawCall("UpdateItem", ", NULL")) << "a handle brought up to date from the desktop store";
  EXPECT_TRUE(std::any_of(forms_.begin(), forms_.end(), [](const std::string& form) {
    return form.starts_with("UpdateItem(") && !form.ends_with(", NULL)");
  })) << "a handle brought up to date from an enumerated one";
  EXPECT_TRUE(SawCall("ActivateDialog", ", items")) << "the dialog is given the folder's items";
  EXPECT_TRUE(SawCall("Setup", "NEW")) << "an object new to the desktop";
  EXPECT_TRUE(SawCall("Setup", "CONFLICT")) << "a conflicting object";
  EXPECT_TRUE(SawCall("Initialize", "0x2")) << "a remote connection";
  EXPECT_TRUE(SawCall("ReportStatus", "RSC_BEGIN_SYNC, 0x2")) << "a remote synchronisation";
}

// The host keeps running with --watch: its polling thread finds a change made
// in Outlook and the change reaches the device without another command;
// polling never starts a second synchronisation while one runs.
TEST_F(CallPatternTest, AChangeInOutlookWhileWatchingReachesTheDeviceWithoutAnotherCommand) {
  Seed({FullContact(L"Berg", L"Anna")});
  standin_testing::ChildProcess host(standin_testing::ProgramBesideTest(L"SyncHost.exe"),
                                     HostArguments({L"--watch", L"--trace"}));
  std::string output;
  const auto readUntil = [&](const char* start) {
    while (const auto line = host.NextLine()) {
      output += *line + "\n";
      if (line->starts_with(start)) return true;
    }
    return false;
  };
  ASSERT_TRUE(readUntil("Watching")) << output;
  const std::wstring added = AddOnDesktop(L"Lind");
  ASSERT_TRUE(readUntil("Done: ")) << output;
  EXPECT_TRUE(Has(output, "  sent      Lind")) << output;

  const std::wstring stopName = L"SyncHost.Stop." + std::to_wstring(host.Id());
  const HANDLE stop = OpenEventW(EVENT_MODIFY_STATE, FALSE, stopName.c_str());
  ASSERT_NE(stop, nullptr);
  SetEvent(stop);
  CloseHandle(stop);
  const auto run = host.Wait();  // all its output, what was read above included
  output = run.output;
  EXPECT_EQ(run.exitCode, 0u) << output;
  EXPECT_TRUE(Has(output, "\nStopped.\n")) << output;
  EXPECT_NE(DeviceIdOf(added), 0u) << "the contact added in Outlook is on the device";

  const auto calls = CallsIn(output);
  for (const auto& problem : OrderProblems(calls)) ADD_FAILURE() << problem;
  // The second synchronisation was started by the poll that found the change.
  std::vector<std::size_t> begins;
  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (StatusOf(calls[i]) == "RSC_BEGIN_SYNC") begins.push_back(i);
  }
  ASSERT_GE(begins.size(), 2u) << output;
  EXPECT_EQ(ParamOf(calls[begins[1]]), "0x1") << "started by a change found, not by hand: " << calls[begins[1]].line;
  const auto found = std::find_if(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(begins[1]), [](const Call& call) {
    return call.thread != 1 && call.method == "IsFolderChanged" && Has(call.answer, "changed TRUE");
  });
  EXPECT_NE(found, calls.begin() + static_cast<std::ptrdiff_t>(begins[1])) << "no poll from another thread found the change";
}

// The service manager's timer polls while a synchronisation runs: the poll,
// from another thread in an apartment of its own, finds no change and leaves
// the enumeration and the writes of the synchronisation whole.
TEST_F(CallPatternTest, APollDuringASynchronisationNeitherStartsAnotherNorDisturbsIt) {
  std::vector<outlook_standin::FolderItem> contacts;
  for (const wchar_t* name : {L"Berg", L"Lind", L"Moe", L"Nygaard", L"Ohlsson", L"Pihl"}) {
    contacts.push_back(FullContact(name, L"A"));
  }
  const auto ids = Seed(contacts);
  ASSERT_EQ(Sync().exitCode, 0u);
  for (const std::size_t i : {0, 2, 4}) EditOnDesktop(ids[i], FieldId::Title, L"Dr");
  AddOnDesktop(L"Quist");
  AddOnDevice(L"Rask");
  EditOnDevice(DeviceIdOf(ids[1]), FieldId::CompanyName, u"Lind AB");

  const auto run = SyncWithFaults({L"trace", L"pollduring", L"3"});
  const auto calls = Traced(run, "synchronisation polled midway");
  bool inSync = false, polledDuring = false;
  for (const Call& call : calls) {
    if (StatusOf(call) == "RSC_BEGIN_SYNC") inSync = true;
    if (StatusOf(call) == "RSC_END_SYNC") inSync = false;
    if (inSync && call.thread != 1 && call.method == "IsFolderChanged") polledDuring = true;
  }
  EXPECT_TRUE(polledDuring) << run.output;
  EXPECT_TRUE(Has(run.output, "  sent      Quist")) << run.output;
  ExpectConverged();
}

}  // namespace
}  // namespace sync_host_testing
