// The command-line mode: how arguments are understood, and the real
// Quillmere.exe run as a process against the Outlook stand-in registered in
// the prefix, its file checked byte for byte. The registration is prefix-wide,
// so this test runs alone and puts back what was registered before.
#include "command_line.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "contact_file_bytes.h"
#include "outlook_test_environment.h"
#include "served_standin.h"
#include "temp_folder.h"

namespace quillmere::testing {
namespace {

using Action = CommandLineRequest::Action;
using outlook_standin::FolderContents;
using test_support::ContactWith;

TEST(CommandLineParsing, ArgumentsAreUnderstoodOrRefusedByName) {
  const struct {
    std::vector<std::wstring> arguments;
    Action action;
    std::wstring path;
    std::vector<std::wstring> entryIds;
    std::wstring problem;
    bool quiet = false;
  } cases[] = {
      {{L"/export", L"C:\\a.fs"}, Action::Export, L"C:\\a.fs", {}, L""},
      {{L"/EXPORT", L"a.fs", L"/entryid", L"00A1", L"/EntryID", L"00B2"}, Action::Export, L"a.fs", {L"00A1", L"00B2"}, L""},
      {{L"/import", L"b.fs"}, Action::Import, L"b.fs", {}, L""},
      {{L"/import", L"b.fs", L"/quiet"}, Action::Import, L"b.fs", {}, L"", true},
      {{L"/?"}, Action::Help, L"", {}, L""},
      {{L"-?"}, Action::Help, L"", {}, L""},
      {{L"/help"}, Action::Help, L"", {}, L""},
      {{L"--help"}, Action::Help, L"", {}, L""},
      {{L"/export", L"a.fs", L"/frobnicate", L"/?"}, Action::Help, L"", {}, L""},
      {{L"/export"}, Action::Invalid, L"", {}, L"/export needs the path of a contact file"},
      {{L"/import", L"/quiet"}, Action::Invalid, L"", {}, L"/import needs the path of a contact file"},
      {{L"/export", L"a.fs", L"/entryid"}, Action::Invalid, L"", {}, L"/entryid needs an EntryID"},
      {{L"/export", L"a.fs", L"/other", L"x"}, Action::Invalid, L"", {}, L"\"/other\" is not understood"},
      {{L"/import", L"a.fs", L"b.fs"}, Action::Invalid, L"", {}, L"\"b.fs\" is one argument too many: a command takes one path"},
      {{L"/import", L"a.fs", L"/entryid", L"00A1"}, Action::Invalid, L"", {}, L"/entryid goes only with /export"},
      {{L"/export", L"a.fs", L"/import", L"b.fs"}, Action::Invalid, L"", {}, L"one command at a time: /export and /import cannot go together"},
      {{L"/export", L"a.fs", L"/quiet", L"/QUIET"}, Action::Invalid, L"", {}, L"/QUIET is given twice"},
      {{L"/list", L"a.fs"}, Action::Invalid, L"", {}, L"\"/list\" is not understood: the first argument is /export, /import or /?"},
      {{L"-export", L"a.fs"}, Action::Invalid, L"", {}, L"\"-export\" is not understood: the first argument is /export, /import or /?"},
      {{L"a.fs"}, Action::Invalid, L"", {}, L"\"a.fs\" is not understood: the first argument is /export, /import or /?"},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    const auto request = ParseCommandLine(row.arguments);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->action, row.action);
    EXPECT_EQ(request->problem, row.problem);
    if (row.action != Action::Invalid && row.action != Action::Help) {
      EXPECT_EQ(request->path, row.path);
      EXPECT_EQ(request->entryIds, row.entryIds);
      EXPECT_EQ(request->quiet, row.quiet);
    }
  }
  EXPECT_FALSE(ParseCommandLine({})) << "no arguments: the window opens";
}

// The stand-in registered as Outlook's class for the prefix, the way
// `wine regsvr32 OutlookStandin.dll` registers it. Against the local server
// the prefix has OutlookStandin.exe registered already and stays as it is.
class RegisteredStandin {
 public:
  RegisteredStandin() {
    if (test_support::LocalServerChosen()) {
      registered_ = true;
      return;
    }
    saved_ = ServerPath();
    module_ = LoadLibraryW(OUTLOOK_STANDIN_DLL);
    registered_ = module_ != nullptr && SUCCEEDED(Call("DllRegisterServer"));
  }
  ~RegisteredStandin() {
    if (module_ == nullptr) return;
    if (registered_) Call("DllUnregisterServer");
    if (saved_) {
      Call("DllRegisterServer");
      RestoreServerPath(*saved_);
    }
    FreeLibrary(module_);
  }
  RegisteredStandin(const RegisteredStandin&) = delete;
  RegisteredStandin& operator=(const RegisteredStandin&) = delete;

  bool Registered() const { return registered_; }

 private:
  static constexpr wchar_t kServerKey[] = L"CLSID\\{0006F03A-0000-0000-C000-000000000046}\\InprocServer32";

  static std::optional<std::wstring> ServerPath() {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = sizeof path;
    if (RegGetValueW(HKEY_CLASSES_ROOT, kServerKey, nullptr, RRF_RT_REG_SZ, nullptr, path, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return std::wstring(path);
  }
  static void RestoreServerPath(const std::wstring& path) {
    RegSetKeyValueW(HKEY_CLASSES_ROOT, kServerKey, nullptr, REG_SZ, path.c_str(),
                    static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
  }
  HRESULT Call(const char* name) const {
    using Export = HRESULT(STDAPICALLTYPE*)();
    const auto function = reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    return function != nullptr ? function() : E_NOTIMPL;
  }

  std::optional<std::wstring> saved_;
  HMODULE module_ = nullptr;
  bool registered_ = false;
};

class CommandLineProgramTest : public test_support::OutlookTest {
 protected:
  void SetUp() override {
    OutlookTest::SetUp();
    ASSERT_TRUE(standin_.Registered());
    // The program's copy of the stand-in works on this test's store file.
    SetEnvironmentVariableW(L"OUTLOOK_STANDIN_STORE", outlook_standin::StoreFile().c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableW(L"OUTLOOK_STANDIN_STORE", nullptr);
    OutlookTest::TearDown();
  }

  static std::string Quoted(const std::wstring& path) { return std::string(path.begin(), path.end()); }

  RegisteredStandin standin_;
  TempFolder folder_{L"command-line"};
};

TEST_F(CommandLineProgramTest, ExportWritesEveryContactAndSaysWhereAndHowMany) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Aalto"}, {L"FirstName", L"Ilona"}}),
                         ContactWith({{L"LastName", L"Berg"}, {L"HomeAddressCity", L"Turku"}})});
  const std::wstring path = (folder_ / L"ContactDB" / L"all.fs").wstring();
  const CommandResult result = RunCommand(L"/export \"" + path + L"\"");
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  EXPECT_EQ(result.output, "Exported contacts to " + Quoted(path) +
                               "\r\nQuillmere: wrote 2 of the 2 contacts in Outlook to " + Quoted(path) +
                               ", after the 0 records it held; it now holds 2 records.\r\n");
  EXPECT_EQ(result.errors, "") << "no progress line when standard error is not a console";

  contact_core::ContactRecord aalto = RecordNamed(u"Aalto", u"Ilona");
  aalto.SetText(contact_core::FieldId::EntryID, std::u16string(ids[0].begin(), ids[0].end()));
  contact_core::ContactRecord berg = RecordNamed(u"Berg");
  berg.SetText(contact_core::FieldId::EntryID, std::u16string(ids[1].begin(), ids[1].end()));
  berg.SetText(contact_core::FieldId::HomeAddressCity, u"Turku");
  EXPECT_EQ(ReadWholeFile(path), FileWithRecords({aalto, berg}));

  const CommandResult again = RunCommand(L"/export \"" + path + L"\" /quiet");
  EXPECT_EQ(again.exitCode, 0u) << again.errors;
  EXPECT_NE(again.output.find("wrote 2 of the 2 contacts in Outlook to " + Quoted(path) +
                              ", after the 2 records it held; it now holds 4 records."),
            std::string::npos)
      << "an export appends:\n" << again.output;
  EXPECT_EQ(RecordCountOf(ReadWholeFile(path)), 4);
}

TEST_F(CommandLineProgramTest, ExportWritesOnlyTheContactsNamedAndNamesThoseItCannotFind) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Aalto"}}), ContactWith({{L"LastName", L"Berg"}}),
                         ContactWith({{L"LastName", L"Cruz"}})});
  const std::wstring path = (folder_ / L"some.fs").wstring();
  const CommandResult result = RunCommand(L"/export \"" + path + L"\" /entryid " + ids[2] + L" /entryid " + ids[0]);
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  const Bytes file = ReadWholeFile(path);
  ASSERT_EQ(RecordCountOf(file), 2);
  EXPECT_EQ(RecordAt(file, 0).Text(contact_core::FieldId::LastName), u"Aalto") << "folder order, not argument order";
  EXPECT_EQ(RecordAt(file, 1).Text(contact_core::FieldId::LastName), u"Cruz");

  // One named contact is not there: the others are written, and the run
  // says which one is missing and does not answer success.
  const std::wstring partly = (folder_ / L"partly.fs").wstring();
  const CommandResult missing = RunCommand(L"/export \"" + partly + L"\" /entryid " + ids[1] + L" /entryid 00FF");
  EXPECT_EQ(missing.exitCode, 1u);
  EXPECT_NE(missing.output.find("wrote 1 of the 3 contacts in Outlook"), std::string::npos) << missing.output;
  EXPECT_EQ(missing.errors, "Quillmere: no contact in Outlook has the EntryID 00FF; 1 of the 2 named were not written.\r\n");
  EXPECT_EQ(RecordCountOf(ReadWholeFile(partly)), 1);
}

TEST_F(CommandLineProgramTest, AnExportThatWouldWriteNothingFailsAndMakesNoFile) {
  const std::wstring path = (folder_ / L"nothing.fs").wstring();
  Seed({ContactWith({{L"LastName", L"Aalto"}})});
  const CommandResult unmatched = RunCommand(L"/export \"" + path + L"\" /entryid 00FF");
  EXPECT_EQ(unmatched.exitCode, 1u);
  EXPECT_EQ(unmatched.output, "");
  EXPECT_EQ(unmatched.errors,
            "Failed to export contacts.\r\n"
            "Quillmere: none of the EntryIDs given (00FF) names one of the 1 contact in Outlook; nothing to export.\r\n"
            "Quillmere: nothing was written, and no file was made.\r\n");
  EXPECT_FALSE(std::filesystem::exists(path));

  Seed({});
  const CommandResult empty = RunCommand(L"/export \"" + path + L"\"");
  EXPECT_EQ(empty.exitCode, 1u);
  EXPECT_NE(empty.errors.find("Outlook's Contacts folder holds no contacts (0 contacts in Outlook); nothing to export."),
            std::string::npos)
      << empty.errors;
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(CommandLineProgramTest, ImportCreatesTheContactsAndSaysHowMany) {
  const std::wstring path = (folder_ / L"in.fs").wstring();
  WriteWholeFile(path, FileWithRecords({RecordNamed(u"Aalto"), RecordNamed(u"Berg")}));
  Seed({});
  const CommandResult result = RunCommand(L"/import \"" + path + L"\"");
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  EXPECT_EQ(result.output, "Import contacts successfully\r\nQuillmere: read 2 records from " + Quoted(path) +
                               "; Outlook has 2 new contacts.\r\n");
  EXPECT_EQ(result.errors, "");
  const auto contents = FolderContents();
  ASSERT_EQ(contents.size(), 2u);
  EXPECT_EQ(contents[1].contact.Get(L"LastName"), L"Berg");
}

TEST_F(CommandLineProgramTest, EachFailureNamesItsReasonAndItsFileOnStandardErrorAndAnswersOne) {
  const std::wstring invalid = (folder_ / L"invalid.fs").wstring();
  WriteWholeFile(invalid, FileWithHeader(100, 1, 8));
  const std::wstring garbage = (folder_ / L"garbage.fs").wstring();
  WriteWholeFile(garbage, FileWithHeader(0x64636261, 0x68676665, 12));
  const std::wstring truncated = (folder_ / L"truncated.fs").wstring();
  Bytes cut = FileWithRecords({RecordNamed(u"Aalto"), RecordNamed(u"Berg")});
  cut.resize(cut.size() - 100);
  WriteWholeFile(truncated, cut);
  const std::wstring miscounted = (folder_ / L"miscounted.fs").wstring();
  WriteWholeFile(miscounted, FileWithHeader(3848, 2, 3848));
  const std::wstring tiny = (folder_ / L"tiny.fs").wstring();
  WriteWholeFile(tiny, Bytes(5, std::byte{1}));
  const std::wstring missing = (folder_ / L"missing.fs").wstring();
  const std::wstring in_folder = folder_.Path().wstring();
  const std::string cut_size = std::to_string(cut.size());
  const struct {
    std::wstring arguments;
    std::string first;  // the text the window would show
    std::string reason;
  } cases[] = {
      {L"/import \"" + missing + L"\"", "Failed to import contacts.", "cannot open " + Quoted(missing) + ": "},
      {L"/import \"" + in_folder + L"\"", "Failed to import contacts.", "cannot open " + Quoted(in_folder) + ": "},
      {L"/import \"" + invalid + L"\"", "Failed to import contacts.",
       Quoted(invalid) + " is not a contact file: its header gives a length of 100 bytes, but the file is 8 bytes long"},
      {L"/import \"" + garbage + L"\"", "Failed to import contacts.",
       Quoted(garbage) + " is not a contact file: its header gives a length of 1684234849 bytes, but the file is 12 "
                         "bytes long"},
      {L"/import \"" + truncated + L"\"", "Failed to import contacts.",
       Quoted(truncated) + " is not a contact file: its header gives a length of 7688 bytes, but the file is " +
           cut_size + " bytes long (not a contact file, or one cut short); Outlook was not touched."},
      {L"/import \"" + miscounted + L"\"", "Failed to import contacts.",
       Quoted(miscounted) + " is not a contact file: its header counts 2 records, but its length holds 1"},
      {L"/import \"" + tiny + L"\"", "Failed to import contacts.",
       Quoted(tiny) + " is not a contact file: it is 5 bytes long, shorter than a contact file's 8-byte header"},
      {L"/import X:\\ContactDB\\x.fs", "Failed to import contacts.", "cannot open X:\\ContactDB\\x.fs: "},
      {L"/export \"" + invalid + L"\"", "Failed to export contacts.",
       Quoted(invalid) + " is not a contact file that can be appended to: its header gives a length of 100 bytes"},
      {L"/export X:\\ContactDB\\x.fs", "Failed to export contacts.", "cannot open or create X:\\ContactDB\\x.fs: "},
  };
  Seed({ContactWith({{L"LastName", L"Aalto"}})});
  for (const auto& row : cases) {
    SCOPED_TRACE(Quoted(row.arguments));
    const CommandResult result = RunCommand(row.arguments);
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_EQ(result.output, "") << "a failure goes to standard error";
    EXPECT_TRUE(result.errors.starts_with(row.first + "\r\nQuillmere: ")) << result.errors;
    EXPECT_NE(result.errors.find(row.reason), std::string::npos) << result.errors;
  }
  EXPECT_EQ(ReadWholeFile(invalid), FileWithHeader(100, 1, 8));
  EXPECT_EQ(FolderContents().size(), 1u) << "no import touched Outlook";
}

// A contact file one record short of the largest a header can describe
// (2 GB), sparse on the disk: an export of two contacts writes one and stops.
TEST_F(CommandLineProgramTest, AnExportThatStopsPartWaySaysWhatWasWrittenAndThatTheFileIsValid) {
  constexpr std::int32_t kMostRecords = (0x7FFFFFFF - 8) / 3840;
  const std::int32_t records_before = kMostRecords - 1;
  const std::int32_t size_before = 8 + 3840 * records_before;
  const std::wstring path = (folder_ / L"nearly-full.fs").wstring();
  {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = size_before;
    DWORD written = 0;
    const std::int32_t header[2] = {size_before, records_before};
    const bool made = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file) &&
                      SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 &&
                      WriteFile(file, header, sizeof header, &written, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(made);
  }
  Seed({ContactWith({{L"LastName", L"Aalto"}}), ContactWith({{L"LastName", L"Berg"}})});
  const CommandResult result = RunCommand(L"/export \"" + path + L"\"");
  std::filesystem::path cleanup(path);
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_EQ(result.output, "");
  const std::string all = std::to_string(kMostRecords);
  EXPECT_EQ(result.errors, "Failed to export contacts.\r\nQuillmere: " + Quoted(path) +
                               " can take no more records: it holds " + all +
                               " records, and one more would take it past 2 GB, the most a contact file can hold.\r\n"
                               "Quillmere: the 1 record written before that (2 of the contacts in Outlook walked) "
                               "stays in " + Quoted(path) + ", which is valid and holds " + all + " records.\r\n");
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 8u + 3840u * static_cast<unsigned>(kMostRecords));
  std::filesystem::remove(cleanup);
}

TEST_F(CommandLineProgramTest, HelpIsPrintedOnRequestAndArgumentsThatMeanNothingAreNamed) {
  for (const wchar_t* help : {L"/?", L"/help", L"--help", L"/export x.fs /?"}) {
    const CommandResult result = RunCommand(help);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_NE(result.output.find("Quillmere.exe /export <path>"), std::string::npos);
    EXPECT_NE(result.output.find("Exit code: 0 when all of it was done, 1 when something was left undone"),
              std::string::npos);
  }
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::current_path() / L"x.fs")) << "help does nothing else";
  const CommandResult nonsense = RunCommand(L"/frobnicate");
  EXPECT_EQ(nonsense.exitCode, 2u);
  EXPECT_EQ(nonsense.output, "");
  EXPECT_TRUE(nonsense.errors.starts_with(
      "Quillmere: \"/frobnicate\" is not understood: the first argument is /export, /import or /?\r\nUsage:"))
      << nonsense.errors;
}

}  // namespace
}  // namespace quillmere::testing
