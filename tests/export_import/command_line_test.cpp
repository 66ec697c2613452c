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
#include "temp_folder.h"

namespace quillmere::testing {
namespace {

using Action = CommandLineRequest::Action;
using outlook_standin::FolderContents;
using test_support::ContactWith;

TEST(CommandLineParsing, ArgumentsAreUnderstoodOrRefused) {
  const struct {
    std::vector<std::wstring> arguments;
    Action action;
    std::wstring path;
    std::vector<std::wstring> entryIds;
  } cases[] = {
      {{L"/export", L"C:\\a.fs"}, Action::Export, L"C:\\a.fs", {}},
      {{L"/EXPORT", L"a.fs", L"/entryid", L"00A1", L"/EntryID", L"00B2"}, Action::Export, L"a.fs", {L"00A1", L"00B2"}},
      {{L"/import", L"b.fs"}, Action::Import, L"b.fs", {}},
      {{L"/?"}, Action::Help, L"", {}},
      {{L"-?"}, Action::Help, L"", {}},
      {{L"/export"}, Action::Invalid, L"", {}},
      {{L"/export", L"a.fs", L"/entryid"}, Action::Invalid, L"a.fs", {}},
      {{L"/export", L"a.fs", L"/other", L"x"}, Action::Invalid, L"a.fs", {}},
      {{L"/import", L"a.fs", L"b.fs"}, Action::Invalid, L"a.fs", {}},
      {{L"/list", L"a.fs"}, Action::Invalid, L"", {}},
      {{L"a.fs"}, Action::Invalid, L"", {}},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(::testing::PrintToString(row.arguments));
    const auto request = ParseCommandLine(row.arguments);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->action, row.action);
    if (row.action != Action::Invalid) {
      EXPECT_EQ(request->path, row.path);
      EXPECT_EQ(request->entryIds, row.entryIds);
    }
  }
  EXPECT_FALSE(ParseCommandLine({})) << "no arguments: the window opens";
}

// The stand-in registered as Outlook's class for the prefix, the way
// `wine regsvr32 OutlookStandin.dll` registers it.
class RegisteredStandin {
 public:
  RegisteredStandin() : saved_(ServerPath()), module_(LoadLibraryW(OUTLOOK_STANDIN_DLL)) {
    registered_ = module_ != nullptr && SUCCEEDED(Call("DllRegisterServer"));
  }
  ~RegisteredStandin() {
    if (registered_) Call("DllUnregisterServer");
    if (saved_) {
      Call("DllRegisterServer");
      RestoreServerPath(*saved_);
    }
    if (module_ != nullptr) FreeLibrary(module_);
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
  HMODULE module_;
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

TEST_F(CommandLineProgramTest, ExportWritesEveryContactAndSaysWhere) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Aalto"}, {L"FirstName", L"Ilona"}}),
                         ContactWith({{L"LastName", L"Berg"}, {L"HomeAddressCity", L"Turku"}})});
  const std::wstring path = (folder_ / L"ContactDB" / L"all.fs").wstring();
  const CommandResult result = RunCommand(L"/export \"" + path + L"\"");
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  EXPECT_EQ(result.output, "Exported contacts to " + Quoted(path) + "\r\n");

  contact_core::ContactRecord aalto = RecordNamed(u"Aalto", u"Ilona");
  aalto.SetText(contact_core::FieldId::EntryID, std::u16string(ids[0].begin(), ids[0].end()));
  contact_core::ContactRecord berg = RecordNamed(u"Berg");
  berg.SetText(contact_core::FieldId::EntryID, std::u16string(ids[1].begin(), ids[1].end()));
  berg.SetText(contact_core::FieldId::HomeAddressCity, u"Turku");
  EXPECT_EQ(ReadWholeFile(path), FileWithRecords({aalto, berg}));
}

TEST_F(CommandLineProgramTest, ExportWritesOnlyTheContactsNamed) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Aalto"}}), ContactWith({{L"LastName", L"Berg"}}),
                         ContactWith({{L"LastName", L"Cruz"}})});
  const std::wstring path = (folder_ / L"some.fs").wstring();
  const CommandResult result = RunCommand(L"/export \"" + path + L"\" /entryid " + ids[2] + L" /entryid " + ids[0]);
  EXPECT_EQ(result.exitCode, 0u);
  const Bytes file = ReadWholeFile(path);
  ASSERT_EQ(RecordCountOf(file), 2);
  EXPECT_EQ(RecordAt(file, 0).Text(contact_core::FieldId::LastName), u"Aalto") << "folder order, not argument order";
  EXPECT_EQ(RecordAt(file, 1).Text(contact_core::FieldId::LastName), u"Cruz");
}

TEST_F(CommandLineProgramTest, ImportCreatesTheContactsAndSaysSo) {
  const std::wstring path = (folder_ / L"in.fs").wstring();
  WriteWholeFile(path, FileWithRecords({RecordNamed(u"Aalto"), RecordNamed(u"Berg")}));
  Seed({});
  const CommandResult result = RunCommand(L"/import \"" + path + L"\"");
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  EXPECT_EQ(result.output, "Import contacts successfully\r\n");
  const auto contents = FolderContents();
  ASSERT_EQ(contents.size(), 2u);
  EXPECT_EQ(contents[1].contact.Get(L"LastName"), L"Berg");
}

TEST_F(CommandLineProgramTest, FailuresSayWhatFailedAndAnswerOne) {
  const std::wstring invalid = (folder_ / L"invalid.fs").wstring();
  WriteWholeFile(invalid, FileWithHeader(100, 1, 8));
  const struct {
    std::wstring arguments;
    std::string output;
  } cases[] = {
      {L"/import \"" + (folder_ / L"missing.fs").wstring() + L"\"", "Failed to import contacts.\r\n"},
      {L"/import \"" + invalid + L"\"", "Failed to import contacts.\r\n"},
      {L"/export \"" + invalid + L"\"", "Failed to export contacts.\r\n"},
  };
  Seed({ContactWith({{L"LastName", L"Aalto"}})});
  for (const auto& row : cases) {
    SCOPED_TRACE(Quoted(row.arguments));
    const CommandResult result = RunCommand(row.arguments);
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_EQ(result.output, row.output);
  }
  EXPECT_EQ(ReadWholeFile(invalid), FileWithHeader(100, 1, 8));
}

TEST_F(CommandLineProgramTest, HelpIsPrintedOnRequestAndForArgumentsThatMeanNothing) {
  const CommandResult help = RunCommand(L"/?");
  EXPECT_EQ(help.exitCode, 0u);
  EXPECT_NE(help.output.find("Quillmere.exe /export <path>"), std::string::npos);
  const CommandResult nonsense = RunCommand(L"/frobnicate");
  EXPECT_EQ(nonsense.exitCode, 2u);
  EXPECT_EQ(nonsense.output, "");
  EXPECT_NE(nonsense.errors.find("Usage:"), std::string::npos);
}

}  // namespace
}  // namespace quillmere::testing
