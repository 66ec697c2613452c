// The Sync Options dialog, opened through ActivateDialog and driven through
// messages: its template, the two modes, the list of contacts, OK and Cancel,
// the selection IsItemReplicated then follows, and Outlook failing under it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "dialog_script.h"
#include "module_state.h"
#include "pelloquin_resource.h"
#include "store_fixture.h"
#include "sync_selection.h"

namespace pelloquin::test {
namespace {

using outlook_standin::FolderItem;
using outlook_standin::OutlookCall;
using test_support::ContactWith;
using test_support::DistributionList;

struct Column {
  std::wstring header;
  int width;
  int format;
  bool operator==(const Column&) const = default;
};

struct Row {
  std::vector<std::wstring> cells;
  bool checked;
  bool operator==(const Row&) const = default;
};

// What the dialog shows.
struct View {
  bool sync_selected;
  bool list_enabled;
  std::vector<Column> columns;
  std::vector<Row> rows;
};

std::wstring CellText(HWND list, int row, int column) {
  wchar_t text[256] = {};
  LVITEMW cell{};
  cell.iSubItem = column;
  cell.pszText = text;
  cell.cchTextMax = 256;
  SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
  return text;
}

View ViewOf(HWND dialog) {
  const HWND list = GetDlgItem(dialog, IDC_OPTION_LIST);
  View view{};
  EXPECT_NE(IsDlgButtonChecked(dialog, IDC_SYNC_ALL) == BST_CHECKED,
            IsDlgButtonChecked(dialog, IDC_SYNC_SELECTED) == BST_CHECKED)
      << "exactly one mode is chosen";
  view.sync_selected = IsDlgButtonChecked(dialog, IDC_SYNC_SELECTED) == BST_CHECKED;
  view.list_enabled = IsWindowEnabled(list) != FALSE;
  const int columns = Header_GetItemCount(ListView_GetHeader(list));
  for (int index = 0; index < columns; ++index) {
    wchar_t header[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH;
    column.pszText = header;
    column.cchTextMax = 64;
    ListView_GetColumn(list, index, &column);
    view.columns.push_back({header, column.cx, column.fmt & LVCFMT_JUSTIFYMASK});
  }
  for (int row = 0; row < ListView_GetItemCount(list); ++row) {
    Row shown{{}, ListView_GetCheckState(list, row) != 0};
    for (int column = 0; column < columns; ++column) shown.cells.push_back(CellText(list, row, column));
    view.rows.push_back(shown);
  }
  return view;
}

const std::vector<Column> kColumns = {
    {L"LastName", 80, LVCFMT_LEFT}, {L"FirstName", 80, LVCFMT_LEFT},
    {L"Company", 100, LVCFMT_LEFT}, {L"EntryID", 1, LVCFMT_LEFT}};

void ChooseMode(HWND dialog, int mode) { Choose(dialog, IDC_SYNC_ALL, IDC_SYNC_SELECTED, mode); }

void SetChecked(HWND dialog, int row, bool checked) {
  ListView_SetCheckState(GetDlgItem(dialog, IDC_OPTION_LIST), row, checked);
}

struct Selection {
  bool sync_selected;
  std::vector<std::string> entry_ids;
  bool operator==(const Selection&) const = default;
};

Selection StoredSelection() {
  const std::scoped_lock lock(g_SelectionMutex);
  return {g_SyncSelected, g_SelectedEntryIDs};
}

void Store(const Selection& selection) {
  const std::scoped_lock lock(g_SelectionMutex);
  g_SyncSelected = selection.sync_selected;
  g_SelectedEntryIDs = selection.entry_ids;
}

std::string Ansi(const std::wstring& entry_id) { return std::string(entry_id.begin(), entry_id.end()); }

FolderItem Person(const wchar_t* first, const wchar_t* last, const wchar_t* company) {
  return ContactWith({{L"FirstName", first}, {L"LastName", last}, {L"CompanyName", company}});
}

class OptionsDialogTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    // The template lives in this program's resources.
    g_hInstance = GetModuleHandleW(nullptr);
    Store({false, {}});
  }
  void TearDown() override {
    Store({false, {}});
    StoreTest::TearDown();
  }

  // Opens the dialog as the service manager does and plays `steps` in it.
  void Run(std::vector<DialogScript::Step> steps) {
    DialogScript script(std::move(steps));
    EXPECT_EQ(store_->ActivateDialog(OPTIONS_DIALOG, script.Owner(), Folder(), nullptr), S_OK);
    EXPECT_TRUE(script.Finished()) << "the dialog closed before the last step";
  }

  // A row as the dialog should show the contact.
  static Row RowOf(const FolderItem& item, const std::wstring& entry_id, bool checked) {
    auto text = [&](const wchar_t* property) { return item.contact.Get(property).value_or(L""); };
    return {{text(L"LastName"), text(L"FirstName"), text(L"CompanyName"), entry_id}, checked};
  }

  // Seeds four people and answers their rows, none checked.
  std::vector<Row> SeedFour() {
    const std::vector<FolderItem> folder = {
        Person(L"Anna", L"Berg", L"Lund AB"), Person(L"Karl", L"\u00C5str\u00F6m", L"Nord"),
        ContactWith({{L"LastName", L"Solo"}}), Person(L"\u0418\u0440\u0430", L"\u041F\u0435\u0442\u0440\u043E\u0432\u0430", L"")};
    entry_ids_ = Seed(folder);
    std::vector<Row> rows;
    for (std::size_t index = 0; index < folder.size(); ++index) rows.push_back(RowOf(folder[index], entry_ids_[index], false));
    return rows;
  }

  std::vector<std::wstring> entry_ids_;
};

TEST_F(OptionsDialogTest, TheTemplateHasItsControlsWhereTheyBelong) {
  Run({[](HWND dialog) {
    wchar_t title[64] = {};
    GetWindowTextW(dialog, title, 64);
    EXPECT_STREQ(title, L"Sync Options");
    const DWORD style = static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE));
    for (const DWORD bit : {DWORD{WS_POPUP}, DWORD{WS_CAPTION}, DWORD{WS_SYSMENU}, DWORD{DS_MODALFRAME}}) {
      EXPECT_EQ(style & bit, bit);
    }
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");

    RECT client;
    GetClientRect(dialog, &client);
    RECT expected_client{0, 0, 171, 144};
    MapDialogRect(dialog, &expected_client);
    EXPECT_EQ(client.right, expected_client.right);
    EXPECT_EQ(client.bottom, expected_client.bottom);

    struct Control {
      int id;
      const wchar_t* window_class;
      const wchar_t* text;
      RECT units;  // left, top, right, bottom in dialog units
      LONG style;  // bits that must be set
      LONG type;   // the button type, or -1
    };
    const Control controls[] = {
        {IDOK, L"Button", L"OK", {36, 125, 72, 137}, WS_TABSTOP, BS_DEFPUSHBUTTON},
        {IDCANCEL, L"Button", L"Cancel", {100, 125, 136, 137}, WS_TABSTOP, BS_PUSHBUTTON},
        {0xFFFF, L"Button", L"", {7, 7, 164, 122}, 0, BS_GROUPBOX},
        {IDC_OPTION_LIST, L"SysListView32", L"", {9, 35, 161, 120}, LVS_REPORT | WS_TABSTOP, -1},
        {IDC_SYNC_ALL, L"Button", L"Sync All", {11, 14, 158, 24}, 0, BS_AUTORADIOBUTTON},
        {IDC_SYNC_SELECTED, L"Button", L"Sync Selected", {11, 25, 157, 35}, 0, BS_AUTORADIOBUTTON},
    };
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      children.push_back(child);
    }
    ASSERT_EQ(children.size(), std::size(controls));
    for (std::size_t index = 0; index < children.size(); ++index) {
      const Control& expected = controls[index];
      const HWND child = children[index];
      SCOPED_TRACE(expected.id);
      EXPECT_EQ(static_cast<WORD>(GetDlgCtrlID(child)), expected.id);
      wchar_t window_class[64] = {};
      GetClassNameW(child, window_class, 64);
      EXPECT_EQ(_wcsicmp(window_class, expected.window_class), 0) << window_class;
      wchar_t text[64] = {};
      GetWindowTextW(child, text, 64);
      EXPECT_STREQ(text, expected.text);
      const LONG child_style = GetWindowLongW(child, GWL_STYLE);
      EXPECT_EQ(child_style & expected.style, expected.style);
      if (expected.type >= 0) {
        EXPECT_EQ(child_style & BS_TYPEMASK, expected.type);
      } else {
        // The list view trades its border style for a sunken edge.
        EXPECT_TRUE((child_style & WS_BORDER) != 0 || (GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0);
      }
      RECT place;
      GetWindowRect(child, &place);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
      RECT expected_place = expected.units;
      MapDialogRect(dialog, &expected_place);
      EXPECT_TRUE(EqualRect(&place, &expected_place))
          << place.left << "," << place.top << "," << place.right << "," << place.bottom;
    }
    Click(dialog, IDCANCEL);
  }});
}

TEST_F(OptionsDialogTest, TheFirstOpeningShowsSyncAllWithAnEmptyDisabledList) {
  SeedFour();
  Run({[](HWND dialog) {
    const View view = ViewOf(dialog);
    EXPECT_FALSE(view.sync_selected);
    EXPECT_FALSE(view.list_enabled);
    EXPECT_TRUE(view.columns.empty());
    EXPECT_TRUE(view.rows.empty());
    Click(dialog, IDCANCEL);
  }});
  EXPECT_EQ(StoredSelection(), (Selection{false, {}}));
}

TEST_F(OptionsDialogTest, SyncSelectedListsEveryContactInFolderOrder) {
  const std::vector<Row> rows = SeedFour();
  Run({[&](HWND dialog) {
    // A real click: the radio button checks itself.
    Click(dialog, IDC_SYNC_SELECTED);
    const View view = ViewOf(dialog);
    EXPECT_TRUE(view.sync_selected);
    EXPECT_TRUE(view.list_enabled);
    EXPECT_EQ(view.columns, kColumns);
    EXPECT_EQ(view.rows, rows);
    EXPECT_EQ(ListView_GetExtendedListViewStyle(GetDlgItem(dialog, IDC_OPTION_LIST)),
              static_cast<DWORD>(LVS_EX_CHECKBOXES));
    Click(dialog, IDCANCEL);
  }});
  EXPECT_EQ(StoredSelection(), (Selection{false, {}})) << "Cancel stores nothing";
}

TEST_F(OptionsDialogTest, TheCheckedRowsBecomeTheSelectionThatReplicationFollows) {
  std::vector<Row> rows = SeedFour();
  Run({[](HWND dialog) {
    ChooseMode(dialog, IDC_SYNC_SELECTED);
    SetChecked(dialog, 1, true);
    SetChecked(dialog, 3, true);
    Click(dialog, IDOK);
  }});
  const Selection stored = StoredSelection();
  EXPECT_TRUE(stored.sync_selected);
  EXPECT_EQ(stored.entry_ids, (std::vector<std::string>{Ansi(entry_ids_[3]), Ansi(entry_ids_[1])}));
  const std::vector<HREPLITEM> items = EnumerateAll();
  ASSERT_EQ(items.size(), 4u);
  for (const std::size_t index : {0u, 1u, 2u, 3u}) {
    EXPECT_EQ(store_->IsItemReplicated(Folder(), items[index]), index == 1 || index == 3) << index;
  }

  // Reopened, it shows those two checked; unchecking one and OK drops it.
  rows[1].checked = rows[3].checked = true;
  Run({[&](HWND dialog) {
    const View view = ViewOf(dialog);
    EXPECT_TRUE(view.sync_selected);
    EXPECT_EQ(view.rows, rows);
    SetChecked(dialog, 1, false);
    Click(dialog, IDOK);
  }});
  EXPECT_EQ(StoredSelection(), (Selection{true, {Ansi(entry_ids_[3])}}));
  for (const std::size_t index : {0u, 1u, 2u, 3u}) {
    EXPECT_EQ(store_->IsItemReplicated(Folder(), items[index]), index == 3) << index;
  }
}

TEST_F(OptionsDialogTest, OkWithNoRowCheckedSelectsNoContact) {
  SeedFour();
  Run({[](HWND dialog) {
    ChooseMode(dialog, IDC_SYNC_SELECTED);
    Click(dialog, IDOK);
  }});
  EXPECT_EQ(StoredSelection(), (Selection{true, {}}));
  for (HREPLITEM item : EnumerateAll()) EXPECT_FALSE(store_->IsItemReplicated(Folder(), item));
  EXPECT_TRUE(store_->IsItemReplicated(Folder(), nullptr));
}

TEST_F(OptionsDialogTest, CancelLeavesTheStoredModeAndSelection) {
  SeedFour();
  const Selection before{true, {Ansi(entry_ids_[0]), Ansi(entry_ids_[2])}};
  for (const auto& [name, change] : std::vector<std::pair<const char*, DialogScript::Step>>{
           {"check marks changed", [](HWND dialog) { SetChecked(dialog, 0, false), SetChecked(dialog, 1, true); }},
           {"Sync All chosen", [](HWND dialog) { ChooseMode(dialog, IDC_SYNC_ALL); }},
       }) {
    SCOPED_TRACE(name);
    Store(before);
    Run({[&](HWND dialog) {
      change(dialog);
      Click(dialog, IDCANCEL);
    }});
    EXPECT_EQ(StoredSelection(), before);
  }
}

TEST_F(OptionsDialogTest, SyncAllAndOkReturnsToEveryContact) {
  SeedFour();
  Store({true, {Ansi(entry_ids_[0])}});
  Run({[](HWND dialog) {
    ChooseMode(dialog, IDC_SYNC_ALL);
    const View view = ViewOf(dialog);
    EXPECT_FALSE(view.list_enabled);
    EXPECT_TRUE(view.columns.empty());
    EXPECT_TRUE(view.rows.empty());
    Click(dialog, IDOK);
  }});
  EXPECT_FALSE(StoredSelection().sync_selected);
  for (HREPLITEM item : EnumerateAll()) EXPECT_TRUE(store_->IsItemReplicated(Folder(), item));

  // Opening in "Sync All" forgets the contacts checked before.
  Run({[](HWND dialog) {
    EXPECT_FALSE(ViewOf(dialog).sync_selected);
    Click(dialog, IDCANCEL);
  }});
  EXPECT_EQ(StoredSelection(), (Selection{false, {}}));
}

TEST_F(OptionsDialogTest, ChoosingSyncSelectedAgainRebuildsTheListFromTheSelection) {
  std::vector<Row> rows = SeedFour();
  Store({true, {Ansi(entry_ids_[2])}});
  rows[2].checked = true;
  Run({[&](HWND dialog) {
    SetChecked(dialog, 0, true);
    ChooseMode(dialog, IDC_SYNC_SELECTED);
    ChooseMode(dialog, IDC_SYNC_SELECTED);
    const View view = ViewOf(dialog);
    EXPECT_EQ(view.columns, kColumns);
    EXPECT_EQ(view.rows, rows) << "one row per contact, with the stored check marks";
    Click(dialog, IDCANCEL);
  }});
}

TEST_F(OptionsDialogTest, TheListPassesOverItemsThatAreNoContacts) {
  const auto ids = Seed({Person(L"Anna", L"Berg", L"Lund AB"), DistributionList(), Person(L"Karl", L"Lund", L"")});
  Run({[&](HWND dialog) {
    ChooseMode(dialog, IDC_SYNC_SELECTED);
    const View view = ViewOf(dialog);
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_EQ(view.rows[0].cells.at(3), ids[0]);
    EXPECT_EQ(view.rows[1].cells.at(3), ids[2]);
    Click(dialog, IDCANCEL);
  }});
}

TEST_F(OptionsDialogTest, OutlookFailingLeavesTheRowsReadSoFarAndTheDialogUsable) {
  struct Case {
    const char* name;
    outlook_standin::Fault fault;
    std::size_t rows;
  };
  const Case cases[] = {
      {"Outlook cannot be started", {.call = OutlookCall::CreateApplication, .result = E_FAIL}, 0},
      {"no collection of items", {.call = OutlookCall::Items, .result = E_FAIL}, 0},
      {"the walk fails", {.call = OutlookCall::GetNext, .result = E_FAIL, .occurrence = 2}, 2},
      {"a property cannot be read",
       {.call = OutlookCall::PropertyGet, .result = E_FAIL, .occurrence = 3, .property = L"FirstName"},
       3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SeedFour();
    Store({false, {}});
    outlook_standin::ArmFault(c.fault);
    Run({[&](HWND dialog) {
      ChooseMode(dialog, IDC_SYNC_SELECTED);
      const View view = ViewOf(dialog);
      EXPECT_EQ(view.columns, kColumns);
      EXPECT_EQ(view.rows.size(), c.rows);
      if (!view.rows.empty()) SetChecked(dialog, 0, true);
      Click(dialog, IDOK);
    }});
    outlook_standin::DisarmFaults();
    const Selection stored = StoredSelection();
    EXPECT_TRUE(stored.sync_selected);
    EXPECT_EQ(stored.entry_ids, c.rows == 0 ? std::vector<std::string>{} : std::vector{Ansi(entry_ids_[0])});
  }
}

TEST_F(OptionsDialogTest, OnlyTheOptionsDialogIsOffered) {
  DialogScript script({});
  EXPECT_EQ(store_->ActivateDialog(1, script.Owner(), Folder(), nullptr), E_NOTIMPL);
  EXPECT_EQ(store_->ActivateDialog(0xFFFFFFFF, script.Owner(), Folder(), nullptr), E_NOTIMPL);
  // A dialog shown would have told its owner, and failed the script.

  OBJUIDATA data;
  std::memset(&data, 0x5A, sizeof data);
  const OBJUIDATA before = data;
  TraceRecorder traces;
  EXPECT_EQ(store_->GetObjTypeUIData(Folder(), &data), E_NOTIMPL);
  EXPECT_EQ(std::memcmp(&data, &before, sizeof data), 0);
  EXPECT_EQ(traces.Take(), std::vector<std::string>{"CStore::GetObjTypeUIData"});
}

}  // namespace
}  // namespace pelloquin::test
