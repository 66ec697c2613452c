// The two pickers driven through messages: OK's enabling, the drive list
// (with a drive D: mapped for the test), the ".fs" file list and the paths
// they answer. The process's current directory must survive every picker.
#include <gtest/gtest.h>

#include <windows.h>

#include <comdef.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "drive_folders.h"
#include "export_picker.h"
#include "import_picker.h"
#include "language.h"
#include "mapped_drive.h"
#include "modal_script.h"
#include "resource.h"
#include "temp_folder.h"

namespace quillmere::testing {
namespace {

std::vector<std::wstring> Entries(HWND control, UINT count_message, UINT length_message, UINT text_message) {
  std::vector<std::wstring> entries;
  const auto count = SendMessageW(control, count_message, 0, 0);
  for (WPARAM index = 0; index < static_cast<WPARAM>(count); ++index) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(control, length_message, index, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(SendMessageW(control, text_message, index, reinterpret_cast<LPARAM>(text.data()))));
    entries.push_back(text);
  }
  return entries;
}

std::vector<std::wstring> ComboEntries(HWND combo) { return Entries(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT); }
std::vector<std::wstring> ListEntries(HWND list) { return Entries(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT); }

std::wstring CurrentDirectory() {
  wchar_t directory[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, directory);
  return directory;
}

class FilePickersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseLanguage(0);
    // A current directory away from C:, which the drive probe passes through.
    SetCurrentDirectoryW(work_.Path().c_str());
    directory_ = CurrentDirectory();
  }
  void TearDown() override { EXPECT_EQ(CurrentDirectory(), directory_) << "a picker moved the current directory"; }

  static bool OkEnabled(const Dialog& picker) { return IsWindowEnabled(picker.Item(IDOK)) != FALSE; }
  static void TypeName(const Dialog& picker, const wchar_t* name) { SetDlgItemTextW(picker.Window(), IDC_FILE, name); }
  static void Press(const Dialog& picker, int button) {
    SendMessageW(picker.Window(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(picker.Item(button)));
  }
  static void ChooseDrive(const Dialog& picker, const std::wstring& folder) {
    const HWND combo = picker.Item(IDC_DRIVE);
    SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(folder.c_str()));
    SendMessageW(picker.Window(), WM_COMMAND, MAKEWPARAM(IDC_DRIVE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  }
  static void ChooseFile(const Dialog& picker, const std::wstring& name) {
    const HWND files = picker.Item(IDC_FILE);
    SendMessageW(files, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageW(picker.Window(), WM_COMMAND, MAKEWPARAM(IDC_FILE, LBN_SELCHANGE), reinterpret_cast<LPARAM>(files));
  }

  TempFolder work_{L"pickers"};
  std::wstring directory_;
};

TEST_F(FilePickersTest, TheExportPickerEnablesOkWhileTheNameCanBeAccepted) {
  ExportPickerDialog picker;
  ASSERT_NE(picker.CreateModeless(nullptr), nullptr);
  EXPECT_EQ(WindowText(picker.Window()), L"Select export file");
  EXPECT_EQ(WindowText(picker.Item(IDOK)), L"Ok");
  EXPECT_EQ(WindowText(picker.Item(IDCANCEL)), L"Cancel");
  EXPECT_FALSE(OkEnabled(picker));
  const struct {
    const wchar_t* name;
    bool accepted;
  } cases[] = {{L"a", true},         {L"", false},           {L"contacts.fs", true}, {L"..", true},
               {L"sub\\x", false},    {L"sub/x", false},      {L"C:x", false},        {L" ", true},
               // Device names, whatever the case, extension or trailing spaces.
               {L"NUL", false},       {L"con", false},        {L"Prn.fs", false},     {L"aux.my.fs", false},
               {L"COM1", false},      {L"com9.txt", false},   {L"LPT1", false},       {L"lpt9 ", false},
               {L"NUL .fs", false},   {L"COM\u00B9", false},
               // Only the whole stem counts.
               {L"CONTACTS", true},   {L"nul-list", true},    {L"COM10", true},       {L"xNUL", true},
               {L"LPT", true},        {L".nul", true}};
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    TypeName(picker, row.name);
    EXPECT_EQ(OkEnabled(picker), row.accepted);
  }
}

// A dialog whose every command fails unexpectedly.
class FailingDialog : public Dialog {
 public:
  explicit FailingDialog(std::function<void()> failure) : Dialog(IDD_EXPORT_PICKER), failure_(std::move(failure)) {}

 private:
  bool OnCommand(int, int) override {
    failure_();
    return true;
  }
  std::function<void()> failure_;
};

TEST_F(FilePickersTest, AnUnexpectedFailureIsToldUnderTheProductName) {
  const struct {
    const char* what;
    std::function<void()> failure;
    std::wstring text;
  } cases[] = {
      {"a C++ exception", [] { throw std::runtime_error("disk on fire"); }, L"disk on fire"},
      {"a COM error", [] { _com_issue_error(E_OUTOFMEMORY); }, _com_error(E_OUTOFMEMORY).ErrorMessage()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FailingDialog dialog(c.failure);
    ASSERT_NE(dialog.CreateModeless(nullptr), nullptr);
    MessageBoxSeen seen;
    {
      const ModalScript script({AcceptMessageBox(seen)});
      SendMessageW(dialog.Window(), WM_COMMAND, MAKEWPARAM(IDC_FILE, EN_CHANGE), 0);
      EXPECT_TRUE(script.Finished());
    }
    EXPECT_EQ(seen.caption, ProductName());
    EXPECT_EQ(seen.text, c.text);
  }
}

TEST_F(FilePickersTest, TheExportPickerAppendsDotFsWhateverTheNameEndsWith) {
  ExportPickerDialog picker;
  ASSERT_NE(picker.CreateModeless(nullptr), nullptr);
  TypeName(picker, L"contacts.fs");
  Press(picker, IDOK);
  EXPECT_EQ(picker.Result(), IDOK);
  EXPECT_EQ(picker.DriveFolder(), L"C:\\ContactDB\\");
  EXPECT_EQ(picker.ResultPath(), L"C:\\ContactDB\\contacts.fs.fs");
}

TEST_F(FilePickersTest, CancelEndsAPickerWithoutAResult) {
  ExportPickerDialog picker;
  ASSERT_NE(picker.CreateModeless(nullptr), nullptr);
  TypeName(picker, L"a");
  Press(picker, IDCANCEL);
  EXPECT_EQ(picker.Result(), IDCANCEL);
  EXPECT_EQ(picker.ResultPath(), L"");
}

TEST_F(FilePickersTest, TheDriveListHoldsTheFolderOfEveryUsableDriveWithCFirstAndSelected) {
  ASSERT_FALSE(DriveIsUsable(L'D')) << "the prefix must not have a D: of its own";
  const std::vector<std::wstring> without_d = UsableDriveFolders();
  EXPECT_EQ(without_d.front(), L"C:\\ContactDB\\");

  const TempFolder d_root(L"drive-d");
  const MappedDrive drive(L'D', d_root.Path());
  ASSERT_TRUE(drive.Mapped());
  std::vector<std::wstring> with_d = without_d;
  with_d.insert(with_d.begin() + 1, L"D:\\ContactDB\\");
  for (Dialog* picker : std::initializer_list<Dialog*>{new ExportPickerDialog, new ImportPickerDialog}) {
    const std::unique_ptr<Dialog> owner(picker);
    ASSERT_NE(picker->CreateModeless(nullptr), nullptr);
    EXPECT_EQ(ComboEntries(picker->Item(IDC_DRIVE)), with_d);
    EXPECT_EQ(SendMessageW(picker->Item(IDC_DRIVE), CB_GETCURSEL, 0, 0), 0);
  }
  ExportPickerDialog picker;
  ASSERT_NE(picker.CreateModeless(nullptr), nullptr);
  ChooseDrive(picker, L"D:\\ContactDB\\");
  TypeName(picker, L"x");
  Press(picker, IDOK);
  EXPECT_EQ(picker.ResultPath(), L"D:\\ContactDB\\x.fs");
}

TEST_F(FilePickersTest, TheImportPickerListsTheDotFsFilesOfTheChosenDrive) {
  ASSERT_FALSE(DriveIsUsable(L'D'));
  const TempFolder d_root(L"drive-d");
  const std::filesystem::path folder = d_root / L"ContactDB";
  std::filesystem::create_directories(folder / L"x.fs");
  for (const wchar_t* name : {L"b.fs", L"a.fs", L"c.txt"}) std::ofstream(folder / name) << "x";
  const MappedDrive drive(L'D', d_root.Path());
  ASSERT_TRUE(drive.Mapped());

  ImportPickerDialog picker;
  ASSERT_NE(picker.CreateModeless(nullptr), nullptr);
  EXPECT_EQ(WindowText(picker.Window()), L"Select import file");
  EXPECT_FALSE(OkEnabled(picker));
  ChooseDrive(picker, L"D:\\ContactDB\\");
  EXPECT_EQ(ListEntries(picker.Item(IDC_FILE)), (std::vector<std::wstring>{L"a.fs", L"b.fs"}))
      << "sorted; neither the directory x.fs nor c.txt";
  EXPECT_FALSE(OkEnabled(picker));
  ChooseFile(picker, L"a.fs");
  EXPECT_TRUE(OkEnabled(picker));

  ChooseDrive(picker, L"C:\\ContactDB\\");
  EXPECT_EQ(SendMessageW(picker.Item(IDC_FILE), LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_TRUE(OkEnabled(picker)) << "once enabled, OK stays enabled";
  Press(picker, IDOK);
  EXPECT_EQ(picker.Result(), 0) << "with no file selected, OK does nothing";

  ChooseDrive(picker, L"D:\\ContactDB\\");
  ChooseFile(picker, L"b.fs");
  Press(picker, IDOK);
  EXPECT_EQ(picker.Result(), IDOK);
  EXPECT_EQ(picker.ResultPath(), L"D:\\ContactDB\\b.fs");
}

}  // namespace
}  // namespace quillmere::testing
