// The language base as the registry sets it, seen in the main window. The
// value lives in the prefix's HKEY_LOCAL_MACHINE, so this test runs alone and
// puts back whatever was there.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "language.h"
#include "main_dialog.h"
#include "outlook_test_environment.h"
#include "resource.h"

namespace quillmere::testing {
namespace {

constexpr wchar_t kKey[] = L"SOFTWARE\\Norvane\\Quillmere";
constexpr REGSAM kView = KEY_WOW64_32KEY;

struct RegistryValue {
  DWORD type;
  std::vector<BYTE> data;
};

std::optional<RegistryValue> CurrentValue() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE | kView, &key) != ERROR_SUCCESS) return std::nullopt;
  RegistryValue value{REG_NONE, std::vector<BYTE>(64)};
  DWORD size = static_cast<DWORD>(value.data.size());
  const LSTATUS status = RegQueryValueExW(key, L"Language", nullptr, &value.type, value.data.data(), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return std::nullopt;
  value.data.resize(size);
  return value;
}

void SetValue(const std::optional<RegistryValue>& value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE | kView, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  if (value) {
    RegSetValueExW(key, L"Language", 0, value->type, value->data.data(), static_cast<DWORD>(value->data.size()));
  } else {
    RegDeleteValueW(key, L"Language");
  }
  RegCloseKey(key);
}

RegistryValue Number(DWORD number) {
  return {REG_DWORD, {BYTE(number), BYTE(number >> 8), BYTE(number >> 16), BYTE(number >> 24)}};
}

class LanguageRegistryTest : public test_support::OutlookTest {
 protected:
  void SetUp() override {
    OutlookTest::SetUp();
    saved_ = CurrentValue();
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
  }
  void TearDown() override {
    SetValue(saved_);
    OutlookTest::TearDown();
  }

  // The main window's title and column headers, started the way the
  // program starts: language base from the registry.
  std::vector<std::wstring> WindowTexts() {
    UseLanguage(ReadLanguageBase());
    MainDialog window;
    EXPECT_NE(window.CreateModeless(nullptr), nullptr);
    std::vector<std::wstring> texts{WindowText(window.Window())};
    wchar_t text[64];
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = 64;
    for (int index = 0; ListView_GetColumn(window.Item(IDC_CONTACT_LIST), index, &column); ++index) texts.push_back(text);
    return texts;
  }

  std::optional<RegistryValue> saved_;
};

TEST_F(LanguageRegistryTest, WithoutTheValueTheProgramSpeaksEnglish) {
  SetValue(std::nullopt);
  EXPECT_EQ(ReadLanguageBase(), 0);
  EXPECT_EQ(WindowTexts(), (std::vector<std::wstring>{L"Quillmere", L"LastName", L"FirstName", L"Company", L"EntryID"}));
}

TEST_F(LanguageRegistryTest, FourThousandGivesGermanHeadersUnderTheSameTitle) {
  SetValue(Number(4000));
  EXPECT_EQ(ReadLanguageBase(), 4000);
  EXPECT_EQ(WindowTexts(), (std::vector<std::wstring>{L"Quillmere", L"Nachname", L"Vorname", L"Unternehmen", L"EntryID"}));
}

TEST_F(LanguageRegistryTest, SevenIsUsedAsItIsAndGivesExitAsTheFirstHeader) {
  SetValue(Number(7));
  EXPECT_EQ(WindowTexts().at(1), L"Exit");
}

TEST_F(LanguageRegistryTest, TheValueIsReadAsAFourByteNumberOfAnyType) {
  const struct {
    const char* name;
    RegistryValue value;
    int base;
  } cases[] = {
      {"REG_DWORD", Number(9000), 9000},
      {"REG_BINARY of four bytes", {REG_BINARY, {0xA0, 0x0F, 0, 0}}, 4000},
      {"two bytes: the high bytes are zero", {REG_BINARY, {0x70, 0x17}}, 6000},
      {"REG_SZ \"1\" is the number 49", {REG_SZ, {'1', 0, 0, 0}}, 49},
      {"longer than four bytes", {REG_QWORD, {0xA0, 0x0F, 0, 0, 0, 0, 0, 0}}, 0},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    SetValue(row.value);
    EXPECT_EQ(ReadLanguageBase(), row.base);
  }
}

}  // namespace
}  // namespace quillmere::testing
