// The main window driven through messages, against the Outlook stand-in:
// its initial state, the mode switch, the enabling of Export, the chooser,
// and the Export and Import buttons through their pickers and messages.
#include "main_dialog.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <filesystem>
#include <string>
#include <vector>

#include "contact_file_bytes.h"
#include "language.h"
#include "modal_script.h"
#include "outlook_test_environment.h"
#include "resource.h"

namespace quillmere::testing {
namespace {

using outlook_standin::ArmFault;
using outlook_standin::OutlookCall;
using test_support::ContactWith;

outlook_standin::FolderItem Person(const wchar_t* last_name, const wchar_t* first_name, const wchar_t* company) {
  return ContactWith({{L"LastName", last_name}, {L"FirstName", first_name}, {L"CompanyName", company}});
}

struct Column {
  std::wstring header;
  int width;
  bool operator==(const Column&) const = default;
};

// A width given for 96 DPI, at the display's pixels per inch (96 under Wine
// unless its LogPixels setting says otherwise).
int AtDisplayDpi(int width_at_96_dpi) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return MulDiv(width_at_96_dpi, dpi, 96);
}

class MainWindowTest : public test_support::OutlookTest {
 protected:
  void SetUp() override {
    OutlookTest::SetUp();
    UseLanguage(0);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
  }

  // Seeds the folder and opens the window on it.
  std::vector<std::wstring> Open(const std::vector<outlook_standin::FolderItem>& items) {
    const auto ids = Seed(items);
    window_ = std::make_unique<MainDialog>();
    EXPECT_NE(window_->CreateModeless(nullptr), nullptr);
    return ids;
  }

  HWND Item(int id) const { return window_->Item(id); }
  ContactListView List() const { return ContactListView(Item(IDC_CONTACT_LIST)); }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  bool Checked(int id) const { return IsDlgButtonChecked(window_->Window(), id) == BST_CHECKED; }
  void Click(int id) const { SendMessageW(Item(id), BM_CLICK, 0, 0); }

  std::vector<Column> Columns() const {
    std::vector<Column> columns;
    wchar_t text[64];
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text;
    column.cchTextMax = 64;
    for (int index = 0; ListView_GetColumn(Item(IDC_CONTACT_LIST), index, &column); ++index) {
      columns.push_back({text, column.cx});
    }
    return columns;
  }

  std::vector<std::vector<std::wstring>> Rows() const {
    std::vector<std::vector<std::wstring>> rows;
    for (int row = 0; row < List().RowCount(); ++row) {
      rows.push_back({List().CellText(row, 0), List().CellText(row, 1), List().CellText(row, 2), List().CellText(row, 3)});
    }
    return rows;
  }

  int CheckedRows() const {
    int checked = 0;
    for (int row = 0; row < List().RowCount(); ++row) checked += List().IsChecked(row) ? 1 : 0;
    return checked;
  }

  std::unique_ptr<MainDialog> window_;
};

TEST_F(MainWindowTest, OpensInSelectedOnlyModeWithEveryContactListedAndNoneChecked) {
  const auto ids = Open({Person(L"Aalto", L"Ilona", L"Kivi Oy"), Person(L"Berg", L"Jonas", L""),
                         ContactWith({{L"FirstName", L"Nameless"}})});
  EXPECT_EQ(WindowText(window_->Window()), L"Quillmere");
  EXPECT_TRUE(Checked(IDC_SELECTED_ONLY));
  EXPECT_FALSE(Checked(IDC_EXPORT_ALL));
  EXPECT_TRUE(window_->SelectedOnly());
  EXPECT_EQ(window_->ExportPath(), L"C:");
  EXPECT_TRUE(Enabled(IDC_CONTACT_LIST));
  EXPECT_EQ(Columns(), (std::vector<Column>{{L"LastName", AtDisplayDpi(90)},
                                            {L"FirstName", AtDisplayDpi(90)},
                                            {L"Company", AtDisplayDpi(100)},
                                            {L"EntryID", 0}}));
  EXPECT_EQ(Rows(), (std::vector<std::vector<std::wstring>>{{L"Aalto", L"Ilona", L"Kivi Oy", ids[0]},
                                                            {L"Berg", L"Jonas", L"", ids[1]},
                                                            {L"", L"Nameless", L"", ids[2]}}));
  EXPECT_EQ(CheckedRows(), 0);
  EXPECT_FALSE(Enabled(IDC_EXPORT)) << "nothing is checked";
  EXPECT_EQ(ListView_GetExtendedListViewStyle(Item(IDC_CONTACT_LIST)), static_cast<DWORD>(LVS_EX_CHECKBOXES));
  const std::pair<int, const wchar_t*> texts[] = {{IDC_EXPORT, L"Export"}, {IDC_IMPORT, L"Import"}, {IDC_EXIT, L"Exit"},
                                                  {IDC_EXPORT_ALL, L"Export all"}, {IDC_SELECTED_ONLY, L"Selected only"}};
  for (const auto& [id, text] : texts) EXPECT_EQ(WindowText(Item(id)), text);
}

TEST_F(MainWindowTest, TheListPassesOverItemsThatAreNotContacts) {
  const auto ids = Open({Person(L"Aalto", L"Ilona", L""), test_support::DistributionList(), Person(L"Berg", L"Jonas", L"")});
  EXPECT_EQ(Rows(), (std::vector<std::vector<std::wstring>>{{L"Aalto", L"Ilona", L"", ids[0]},
                                                            {L"Berg", L"Jonas", L"", ids[2]}}));
}

TEST_F(MainWindowTest, ExportIsEnabledExactlyWhileARowIsChecked) {
  const auto ids = Open({Person(L"Aalto", L"Ilona", L""), Person(L"Berg", L"Jonas", L"")});
  List().SetChecked(1, true);
  EXPECT_TRUE(Enabled(IDC_EXPORT));
  EXPECT_TRUE(window_->IsContactChosen(ids[1]));
  EXPECT_FALSE(window_->IsContactChosen(ids[0]));
  List().SetChecked(0, true);
  List().SetChecked(1, false);
  EXPECT_TRUE(Enabled(IDC_EXPORT));
  List().SetChecked(0, false);
  EXPECT_FALSE(Enabled(IDC_EXPORT));
}

TEST_F(MainWindowTest, TheChooserComparesEntryIdsExactly) {
  const auto ids = Open({Person(L"Aalto", L"Ilona", L"")});
  List().SetChecked(0, true);
  std::wstring other_case = ids[0];
  other_case.back() = static_cast<wchar_t>(iswupper(other_case.back()) ? towlower(other_case.back()) : towupper(other_case.back()));
  EXPECT_TRUE(window_->IsContactChosen(ids[0]));
  EXPECT_FALSE(window_->IsContactChosen(ids[0] + L"0"));
  EXPECT_FALSE(window_->IsContactChosen(ids[0].substr(1)));
  EXPECT_FALSE(window_->IsContactChosen(L"")) << "a contact without an entry identifier matches no row";
}

TEST_F(MainWindowTest, ExportAllEmptiesAndDisablesTheListAndSelectedOnlyRebuildsIt) {
  const auto ids = Open({Person(L"Aalto", L"Ilona", L""), Person(L"Berg", L"Jonas", L"")});
  List().SetChecked(0, true);
  Click(IDC_EXPORT_ALL);
  EXPECT_TRUE(Checked(IDC_EXPORT_ALL));
  EXPECT_FALSE(window_->SelectedOnly());
  EXPECT_EQ(List().RowCount(), 0);
  EXPECT_TRUE(Columns().empty());
  EXPECT_FALSE(Enabled(IDC_CONTACT_LIST));
  EXPECT_TRUE(Enabled(IDC_EXPORT));
  EXPECT_TRUE(window_->IsContactChosen(L"anything at all"));

  Click(IDC_SELECTED_ONLY);
  EXPECT_TRUE(window_->SelectedOnly());
  EXPECT_TRUE(Enabled(IDC_CONTACT_LIST));
  EXPECT_EQ(List().RowCount(), 2);
  EXPECT_EQ(Columns().size(), 4u);
  EXPECT_EQ(CheckedRows(), 0);
  EXPECT_FALSE(window_->IsContactChosen(ids[0]));
}

TEST_F(MainWindowTest, ClickingSelectedOnlyAgainRebuildsTheListAndClearsTheChecks) {
  Open({Person(L"Aalto", L"Ilona", L"")});
  List().SetChecked(0, true);
  outlook_standin::SeedFolder({Person(L"Aalto", L"Ilona", L""), Person(L"Berg", L"Jonas", L"")});
  Click(IDC_SELECTED_ONLY);
  EXPECT_EQ(List().RowCount(), 2);
  EXPECT_EQ(CheckedRows(), 0);
}

TEST_F(MainWindowTest, WhenOutlookCannotBeReachedOrFailsTheListStaysEmpty) {
  struct Case {
    const char* name;
    outlook_standin::Fault fault;
  };
  const Case cases[] = {
      {"Outlook cannot be created", {.call = OutlookCall::CreateApplication, .result = REGDB_E_CLASSNOTREG, .sticky = true}},
      {"the second row's company cannot be read",
       {.call = OutlookCall::PropertyGet, .occurrence = 2, .property = L"CompanyName"}},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.name);
    Seed({Person(L"Aalto", L"Ilona", L""), Person(L"Berg", L"Jonas", L"")});
    ArmFault(row.fault);
    MainDialog window;
    ASSERT_NE(window.CreateModeless(nullptr), nullptr);
    const ContactListView list(window.Item(IDC_CONTACT_LIST));
    EXPECT_EQ(list.RowCount(), 0);
    EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(window.Item(IDC_CONTACT_LIST))), 4);
    EXPECT_TRUE(window.SelectedOnly());
    EXPECT_FALSE(window.IsContactChosen(L"anything"));
    EXPECT_FALSE(IsWindowEnabled(window.Item(IDC_EXPORT)));
  }
}

// The pickers work in C:\ContactDB\; these tests use names of their own there.
class MainWindowFileTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    std::filesystem::create_directories(LR"(C:\ContactDB)");
    name_ = L"main-window-test-" + std::to_wstring(GetCurrentProcessId());
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove(Path(), ignored);
    MainWindowTest::TearDown();
  }
  std::wstring Path() const { return LR"(C:\ContactDB\)" + name_ + L".fs"; }

  std::wstring name_;
};

TEST_F(MainWindowFileTest, ExportWritesTheCheckedContactsAndSaysWhere) {
  const auto ids = Open({Person(L"Aalto", L"Ilona", L""), Person(L"Berg", L"Jonas", L"Lumo"), Person(L"Cruz", L"Ana", L"")});
  List().SetChecked(1, true);
  MessageBoxSeen message;
  {
    const ModalScript script({TypeExportName(name_), AcceptMessageBox(message)});
    Click(IDC_EXPORT);
    EXPECT_TRUE(script.Finished());
  }
  EXPECT_EQ(message.caption, L"Quillmere");
  EXPECT_EQ(message.text, L"Exported contacts to " + Path());
  EXPECT_EQ(window_->ExportPath(), Path());
  const Bytes file = ReadWholeFile(Path());
  ASSERT_EQ(RecordCountOf(file), 1);
  EXPECT_EQ(RecordAt(file, 0).Text(contact_core::FieldId::LastName), u"Berg");
}

TEST_F(MainWindowFileTest, AnExportToAFileThatIsNotValidSaysItFailed) {
  Open({Person(L"Aalto", L"Ilona", L"")});
  const Bytes invalid = FileWithHeader(99, 1, 8);
  WriteWholeFile(Path(), invalid);
  Click(IDC_EXPORT_ALL);
  MessageBoxSeen message;
  {
    const ModalScript script({TypeExportName(name_), AcceptMessageBox(message)});
    Click(IDC_EXPORT);
    EXPECT_TRUE(script.Finished());
  }
  EXPECT_EQ(message.text, L"Failed to export contacts.");
  EXPECT_EQ(ReadWholeFile(Path()), invalid);
}

TEST_F(MainWindowFileTest, ACancelledPickerDoesNothing) {
  Open({Person(L"Aalto", L"Ilona", L"")});
  const ModalScript script({PressCancel(), PressCancel()});
  Click(IDC_EXPORT);
  Click(IDC_IMPORT);
  EXPECT_TRUE(script.Finished());
  EXPECT_EQ(window_->ExportPath(), L"C:");
  EXPECT_EQ(window_->ImportPath(), L"");
  EXPECT_FALSE(std::filesystem::exists(Path()));
}

TEST_F(MainWindowFileTest, ImportSaysHowItWentAndRebuildsTheList) {
  Open({Person(L"Aalto", L"Ilona", L"")});
  WriteWholeFile(Path(), FileWithRecords({RecordNamed(u"Berg", u"Jonas"), RecordNamed(u"Cruz", u"Ana")}));
  List().SetChecked(0, true);
  MessageBoxSeen message;
  {
    const ModalScript script({ChooseImportFile(name_ + L".fs"), AcceptMessageBox(message)});
    Click(IDC_IMPORT);
    EXPECT_TRUE(script.Finished());
  }
  EXPECT_EQ(message.caption, L"Quillmere");
  EXPECT_EQ(message.text, L"Import contacts successfully");
  EXPECT_EQ(window_->ImportPath(), Path());
  ASSERT_EQ(List().RowCount(), 3);
  EXPECT_EQ(List().CellText(2, 0), L"Cruz");
  EXPECT_EQ(CheckedRows(), 0) << "the rebuilt list has lost its check marks";
}

TEST_F(MainWindowFileTest, AFailedImportSaysSoAndAnImportInExportAllModeLeavesTheListEmpty) {
  Open({Person(L"Aalto", L"Ilona", L"")});
  WriteWholeFile(Path(), FileWithHeader(3848, 1, 3847));
  Click(IDC_EXPORT_ALL);
  MessageBoxSeen message;
  {
    const ModalScript script({ChooseImportFile(name_ + L".fs"), AcceptMessageBox(message)});
    Click(IDC_IMPORT);
    EXPECT_TRUE(script.Finished());
  }
  EXPECT_EQ(message.text, L"Failed to import contacts.");
  EXPECT_EQ(List().RowCount(), 0);
  EXPECT_FALSE(Enabled(IDC_CONTACT_LIST));
}

TEST_F(MainWindowTest, TheWindowOffersItsIconAndExitEndsIt) {
  Open({});
  EXPECT_NE(SendMessageW(window_->Window(), WM_QUERYDRAGICON, 0, 0), 0);
  EXPECT_NE(SendMessageW(window_->Window(), WM_GETICON, ICON_BIG, 0), 0);
  Click(IDC_EXIT);
  EXPECT_EQ(window_->Result(), IDOK);
  EXPECT_EQ(window_->Window(), nullptr);
}

}  // namespace
}  // namespace quillmere::testing
