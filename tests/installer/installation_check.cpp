// What the installer package leaves on a machine, seen from a 32-bit program
// as the 32-bit sync service manager sees it. Run by installer-test after an
// install or upgrade (Installed.*, with QM_EXPECTED_PRODUCT_VERSION naming the
// package's version) and after the removal (Removed.*).
#include <windows.h>
#include <msi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

#include "com_support.h"
#include "qm_version.h"

_COM_SMARTPTR_TYPEDEF(IShellLinkW, __uuidof(IShellLinkW));
_COM_SMARTPTR_TYPEDEF(IPersistFile, __uuidof(IPersistFile));

namespace {

#define QM_WIDE_(text) L##text
#define QM_WIDE(text) QM_WIDE_(text)

// Fixed for the life of the product: a package with another upgrade code
// would install beside an older version instead of replacing it.
constexpr wchar_t kUpgradeCode[] = L"{269AC765-6AE5-41D3-AC36-E8652CDB24A2}";
constexpr wchar_t kProgId[] = L"MS.WinCE.Pelloquin";
constexpr wchar_t kClassId[] = PELLOQUIN_CLASS_ID;
constexpr wchar_t kObjectKey[] = L"Software\\Microsoft\\Windows CE Services\\Services\\Synchronization\\Objects\\Contact";
const wchar_t* const kShippedFiles[] = {QM_SHIPPED_FILE_NAMES};

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

std::wstring KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : L"";
}

// In a 32-bit process on 64-bit Windows this is "Program Files (x86)".
std::wstring InstallFolder() { return KnownFolder(CSIDL_PROGRAM_FILES) + L"\\Quillmere"; }

std::wstring NativeProgramFiles() {
  wchar_t path[MAX_PATH] = {};
  return GetEnvironmentVariableW(L"ProgramW6432", path, MAX_PATH) ? path : L"";
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// The shortcut's possible places: the all-users Start menu, where Windows
// puts a per-machine package's shortcuts, and the user's, where Wine's
// msi puts them (it does not yet tell the two apart).
std::vector<std::wstring> ShortcutsFound() {
  std::vector<std::wstring> found;
  for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
    const std::wstring path = KnownFolder(csidl) + L"\\Quillmere\\Quillmere.lnk";
    if (Exists(path)) found.push_back(path);
  }
  return found;
}

bool StartMenuFolderExists() {
  return Exists(KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\Quillmere") ||
         Exists(KnownFolder(CSIDL_PROGRAMS) + L"\\Quillmere");
}

enum class View : REGSAM { Bits32 = KEY_WOW64_32KEY, Bits64 = KEY_WOW64_64KEY };

// An open key of HKEY_LOCAL_MACHINE in one registry view, closed when it goes.
class Key {
 public:
  Key(View view, const std::wstring& path) {
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | static_cast<REGSAM>(view), &key_) != ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  bool Exists() const { return key_ != nullptr; }

  // The string value, or "<absent>".
  std::wstring Value(const wchar_t* name) const {
    wchar_t text[512] = {};
    DWORD size = sizeof text;
    if (key_ == nullptr || RegGetValueW(key_, nullptr, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
      return L"<absent>";
    return text;
  }

 private:
  HKEY key_ = nullptr;
};

bool KeyExists(View view, const std::wstring& path) { return Key(view, path).Exists(); }

std::wstring Value(View view, const std::wstring& path, const wchar_t* name) { return Key(view, path).Value(name); }

std::wstring Classes(const std::wstring& key) { return L"Software\\Classes\\" + key; }

std::vector<std::wstring> InstalledProducts() {
  std::vector<std::wstring> products;
  wchar_t product[39];
  for (DWORD index = 0; MsiEnumRelatedProductsW(kUpgradeCode, 0, index, product) == ERROR_SUCCESS; ++index)
    products.push_back(product);
  return products;
}

std::wstring ProductInfo(const std::wstring& product, const wchar_t* property) {
  wchar_t value[256] = {};
  DWORD length = 256;
  return MsiGetProductInfoW(product.c_str(), property, value, &length) == ERROR_SUCCESS ? value : L"<absent>";
}

std::wstring FileVersionText(const std::wstring& path) {
  DWORD ignored = 0;
  std::vector<BYTE> data(GetFileVersionInfoSizeW(path.c_str(), &ignored));
  if (data.empty() || !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data())) return L"";
  void* text = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\StringFileInfo\\040904b0\\FileVersion", &text, &length)) return L"";
  return static_cast<const wchar_t*>(text);
}

class Installed : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
  void TearDown() override { CoUninitialize(); }
};
using Removed = testing::Test;

TEST_F(Installed, ExactlyTheShippedFilesInProgramFilesX86) {
  std::vector<std::wstring> expected(std::begin(kShippedFiles), std::end(kShippedFiles));
  std::vector<std::wstring> actual = FilesIn(InstallFolder());
  std::sort(expected.begin(), expected.end());
  std::sort(actual.begin(), actual.end());
  EXPECT_EQ(actual, expected) << testing::PrintToString(InstallFolder());
  for (const wchar_t* name : kShippedFiles)
    EXPECT_EQ(FileVersionText(InstallFolder() + L"\\" + name), QM_WIDE(QM_VERSION_TEXT)) << testing::PrintToString(name);
  ASSERT_FALSE(NativeProgramFiles().empty()) << "not a 64-bit prefix";
  EXPECT_FALSE(Exists(NativeProgramFiles() + L"\\Quillmere")) << "the 32-bit program went to the 64-bit folder";
}

TEST_F(Installed, OneStartMenuShortcutStartsTheInstalledQuillmere) {
  const std::vector<std::wstring> shortcuts = ShortcutsFound();
  ASSERT_EQ(shortcuts.size(), 1u) << testing::PrintToString(shortcuts);
  IShellLinkWPtr link;
  ASSERT_EQ(link.CreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER), S_OK);
  IPersistFilePtr file(link);
  ASSERT_TRUE(file);
  ASSERT_EQ(file->Load(shortcuts[0].c_str(), STGM_READ), S_OK);
  wchar_t target[MAX_PATH] = {};
  ASSERT_EQ(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH), S_OK);
  EXPECT_EQ(Lower(target), Lower(InstallFolder() + L"\\Quillmere.exe"));
  wchar_t folder[MAX_PATH] = {};
  ASSERT_EQ(link->GetWorkingDirectory(folder, MAX_PATH), S_OK);
  std::wstring working = folder;
  if (!working.empty() && working.back() == L'\\') working.pop_back();
  EXPECT_EQ(Lower(working), Lower(InstallFolder()));
}

TEST_F(Installed, ProviderRegisteredInThe32BitViewOnly) {
  EXPECT_EQ(Value(View::Bits32, Classes(kProgId), L""), L"Outlook Pelloquin");
  EXPECT_EQ(Value(View::Bits32, Classes(kProgId) + L"\\CLSID", L""), kClassId);
  const std::wstring class_key = Classes(std::wstring(L"CLSID\\") + kClassId);
  EXPECT_EQ(Value(View::Bits32, class_key, L""), L"Outlook Pelloquin");
  EXPECT_EQ(Lower(Value(View::Bits32, class_key + L"\\InProcServer32", L"")), Lower(InstallFolder() + L"\\Pelloquin.dll"));
  EXPECT_EQ(Value(View::Bits32, class_key + L"\\InProcServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(Value(View::Bits32, class_key + L"\\ProgID", L""), kProgId);
  EXPECT_EQ(Value(View::Bits32, kObjectKey, L""), L"Contact");
  EXPECT_EQ(Value(View::Bits32, kObjectKey, L"Store"), kProgId);
  EXPECT_EQ(Value(View::Bits32, kObjectKey, L"Display Name"), L"Contact");
  EXPECT_EQ(Value(View::Bits32, kObjectKey, L"Plural Name"), L"Contacts");

  // A ProgID is shared by both views (only class ids are redirected), as on
  // Windows 7 and later; the class it names is the 32-bit view's alone.
  EXPECT_FALSE(KeyExists(View::Bits64, class_key));
  EXPECT_FALSE(KeyExists(View::Bits64, kObjectKey));
}

TEST_F(Installed, OneProductOfTheExpectedVersion) {
  const char* expected = std::getenv("QM_EXPECTED_PRODUCT_VERSION");
  ASSERT_NE(expected, nullptr) << "installer-test sets QM_EXPECTED_PRODUCT_VERSION";
  const std::vector<std::wstring> products = InstalledProducts();
  ASSERT_EQ(products.size(), 1u) << testing::PrintToString(products);
  EXPECT_EQ(ProductInfo(products[0], INSTALLPROPERTY_VERSIONSTRING), std::wstring(expected, expected + std::strlen(expected)));
  EXPECT_EQ(ProductInfo(products[0], INSTALLPROPERTY_PRODUCTNAME), QM_WIDE(QM_PRODUCT_NAME));
  EXPECT_EQ(ProductInfo(products[0], INSTALLPROPERTY_PUBLISHER), QM_WIDE(QM_COMPANY_NAME));
  // Installed for the machine, not for the user who ran the installer.
  wchar_t version[64] = {};
  DWORD length = 64;
  EXPECT_EQ(MsiGetProductInfoExW(products[0].c_str(), nullptr, MSIINSTALLCONTEXT_MACHINE, INSTALLPROPERTY_VERSIONSTRING,
                                 version, &length),
            static_cast<UINT>(ERROR_SUCCESS))
      << "not installed per machine";
  EXPECT_EQ(MsiQueryProductStateW(products[0].c_str()), INSTALLSTATE_DEFAULT);
}

TEST_F(Removed, NoFileShortcutKeyOrProductIsLeft) {
  EXPECT_FALSE(Exists(InstallFolder()));
  EXPECT_TRUE(ShortcutsFound().empty());
  EXPECT_FALSE(StartMenuFolderExists());
  for (View view : {View::Bits32, View::Bits64}) {
    EXPECT_FALSE(KeyExists(view, Classes(kProgId)));
    EXPECT_FALSE(KeyExists(view, Classes(std::wstring(L"CLSID\\") + kClassId)));
    EXPECT_FALSE(KeyExists(view, kObjectKey));
  }
  EXPECT_EQ(InstalledProducts(), std::vector<std::wstring>{});
}

}  // namespace
