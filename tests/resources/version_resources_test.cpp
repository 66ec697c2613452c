// Every shipped binary carries the project's version resource, read back the
// way Explorer and installers read it; Quillmere's manifest is embedded and
// is what Windows' own loader makes of it: common controls 6, asInvoker,
// system DPI awareness and the supported Windows versions.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "qm_version.h"

namespace {

#define QM_WIDE_(text) L##text
#define QM_WIDE(text) QM_WIDE_(text)

const wchar_t* const kShippedBinaries[] = {QM_SHIPPED_BINARIES};

std::wstring FileNameOf(const std::wstring& path) {
  return path.substr(path.find_last_of(L"/\\") + 1);
}

class VersionResource {
 public:
  explicit VersionResource(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return;
    data_.resize(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data_.data())) data_.clear();
  }

  bool Present() const { return !data_.empty(); }

  const VS_FIXEDFILEINFO* Fixed() const {
    void* block = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data_.data(), L"\\", &block, &length) || length < sizeof(VS_FIXEDFILEINFO)) return nullptr;
    return static_cast<const VS_FIXEDFILEINFO*>(block);
  }

  // The first translation the resource lists, as "040904b0".
  std::wstring FirstTranslation() const {
    void* block = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", &block, &length) || length < 4) return L"";
    const WORD* pair = static_cast<const WORD*>(block);
    wchar_t text[9];
    swprintf(text, 9, L"%04x%04x", pair[0], pair[1]);
    return text;
  }

  std::wstring Text(const std::wstring& name) const {
    const std::wstring query = L"\\StringFileInfo\\" + FirstTranslation() + L"\\" + name;
    void* block = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data_.data(), query.c_str(), &block, &length) || block == nullptr) return L"<missing>";
    // The length counts the terminating null when the script stored one.
    std::wstring text(static_cast<const wchar_t*>(block), length);
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
  }

 private:
  std::vector<BYTE> data_;
};

class ShippedBinary : public testing::TestWithParam<const wchar_t*> {};

TEST_P(ShippedBinary, FixedVersionIsTheProjectVersion) {
  const VersionResource resource(GetParam());
  ASSERT_TRUE(resource.Present()) << "no version resource, error " << GetLastError();
  const VS_FIXEDFILEINFO* fixed = resource.Fixed();
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(QM_VERSION_MINOR, QM_VERSION_MAJOR)));
  EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, QM_VERSION_PATCH)));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  const bool is_library = FileNameOf(GetParam()).ends_with(L".dll");
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(is_library ? VFT_DLL : VFT_APP));
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "marked debug, pre-release or patched";
}

TEST_P(ShippedBinary, TextsNameTheProductVersionAndMaker) {
  const VersionResource resource(GetParam());
  ASSERT_TRUE(resource.Present());
  EXPECT_EQ(resource.FirstTranslation(), L"040904b0");
  EXPECT_EQ(resource.Text(L"ProductName"), QM_WIDE(QM_PRODUCT_NAME));
  EXPECT_EQ(resource.Text(L"FileVersion"), QM_WIDE(QM_VERSION_TEXT));
  EXPECT_EQ(resource.Text(L"ProductVersion"), QM_WIDE(QM_VERSION_TEXT));
  EXPECT_EQ(resource.Text(L"CompanyName"), QM_WIDE(QM_COMPANY_NAME));
  EXPECT_EQ(resource.Text(L"LegalCopyright"), QM_WIDE(QM_COPYRIGHT));
  EXPECT_EQ(resource.Text(L"OriginalFilename"), FileNameOf(GetParam()));
  const std::wstring description = resource.Text(L"FileDescription");
  EXPECT_FALSE(description.empty() || description == L"<missing>");
}

INSTANTIATE_TEST_SUITE_P(Each, ShippedBinary, testing::ValuesIn(kShippedBinaries),
                         [](const testing::TestParamInfo<const wchar_t*>& info) {
                           std::string name;
                           for (wchar_t c : FileNameOf(info.param)) name += std::iswalnum(c) ? static_cast<char>(c) : '_';
                           return name;
                         });

// An activation context made from the manifest embedded in Quillmere.exe, as
// the loader makes one when the program starts.
struct ActivationContextDeleter {
  void operator()(HANDLE context) const { ReleaseActCtx(context); }
};
using ActivationContext = std::unique_ptr<void, ActivationContextDeleter>;

ActivationContext QuillmereManifestContext() {
  ACTCTXW request{};
  request.cbSize = sizeof(request);
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = QUILLMERE_EXE;
  request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
  HANDLE context = CreateActCtxW(&request);
  return ActivationContext(context == INVALID_HANDLE_VALUE ? nullptr : context);
}

class ActivatedContext {
 public:
  explicit ActivatedContext(HANDLE context) { active_ = ActivateActCtx(context, &cookie_) != FALSE; }
  ~ActivatedContext() {
    if (active_) DeactivateActCtx(0, cookie_);
  }
  ActivatedContext(const ActivatedContext&) = delete;
  ActivatedContext& operator=(const ActivatedContext&) = delete;
  bool Active() const { return active_; }

 private:
  ULONG_PTR cookie_ = 0;
  bool active_ = false;
};

TEST(QuillmereManifest, IsEmbeddedAndParses) {
  const ActivationContext context = QuillmereManifestContext();
  ASSERT_TRUE(context) << "no usable manifest in Quillmere.exe, error " << GetLastError();
}

TEST(QuillmereManifest, BringsCommonControlsSix) {
  const ActivationContext context = QuillmereManifestContext();
  ASSERT_TRUE(context);
  const ActivatedContext activated(context.get());
  ASSERT_TRUE(activated.Active());
  // Within the context the loader redirects comctl32.dll to the side-by-side
  // assembly the manifest depends on. (Asking the DLL its version proves
  // nothing under Wine, whose one comctl32 answers 5.81 in both places.)
  ACTCTX_SECTION_KEYED_DATA redirection{};
  redirection.cbSize = sizeof(redirection);
  ASSERT_TRUE(FindActCtxSectionStringW(FIND_ACTCTX_SECTION_KEY_RETURN_HACTCTX, nullptr,
                                       ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll", &redirection))
      << "comctl32.dll is not redirected, error " << GetLastError();
  const ActivationContext owner(redirection.hActCtx);
  DWORD assembly_index = redirection.ulAssemblyRosterIndex;
  SIZE_T needed = 0;
  QueryActCtxW(0, owner.get(), &assembly_index, AssemblyDetailedInformationInActivationContext, nullptr, 0, &needed);
  ASSERT_GT(needed, 0u);
  std::vector<BYTE> buffer(needed);
  ASSERT_TRUE(QueryActCtxW(0, owner.get(), &assembly_index, AssemblyDetailedInformationInActivationContext,
                           buffer.data(), buffer.size(), nullptr));
  const auto* assembly = reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer.data());
  const std::wstring identity(assembly->lpAssemblyEncodedAssemblyIdentity,
                              assembly->ulEncodedAssemblyIdentityLength / sizeof(wchar_t));
  EXPECT_TRUE(identity.starts_with(L"Microsoft.Windows.Common-Controls,")) << testing::PrintToString(identity);
  EXPECT_NE(identity.find(L"version=\"6."), std::wstring::npos) << testing::PrintToString(identity);
}

TEST(QuillmereManifest, AsksToRunAsInvoker) {
  const ActivationContext context = QuillmereManifestContext();
  ASSERT_TRUE(context);
  ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION run_level{};
  ASSERT_TRUE(QueryActCtxW(0, context.get(), nullptr, RunlevelInformationInActivationContext, &run_level,
                           sizeof(run_level), nullptr));
  EXPECT_EQ(run_level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
  EXPECT_EQ(run_level.UiAccess, 0u);
}

TEST(QuillmereManifest, IsAwareOfTheSystemDpi) {
  const ActivationContext context = QuillmereManifestContext();
  ASSERT_TRUE(context);
  const auto setting = [&](const wchar_t* name_space, const wchar_t* name) {
    wchar_t value[64] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, context.get(), name_space, name, value, std::size(value), &written)) return std::wstring();
    return std::wstring(value);
  };
  EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true");
  EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"), L"system");
}

TEST(QuillmereManifest, NamesWindowsSevenToElevenAsSupported) {
  const ActivationContext context = QuillmereManifestContext();
  ASSERT_TRUE(context);
  SIZE_T needed = 0;
  QueryActCtxW(0, context.get(), nullptr, CompatibilityInformationInActivationContext, nullptr, 0, &needed);
  ASSERT_GT(needed, 0u);
  std::vector<BYTE> buffer(needed);
  ASSERT_TRUE(QueryActCtxW(0, context.get(), nullptr, CompatibilityInformationInActivationContext, buffer.data(),
                           buffer.size(), nullptr));
  // The record as current Windows and Wine write it: a count, then elements
  // of an id, a type and a ULONGLONG MaxVersionTested, aligned to 8 bytes.
  // mingw-w64's declaration predates that last field, so it is not used.
  struct Element {
    GUID id;
    ACTCTX_COMPATIBILITY_ELEMENT_TYPE type;
    ULONGLONG max_version_tested;
  };
  DWORD count = 0;
  std::memcpy(&count, buffer.data(), sizeof(count));
  ASSERT_EQ(buffer.size(), sizeof(ULONGLONG) + count * sizeof(Element));
  std::vector<GUID> supported;
  for (DWORD index = 0; index < count; ++index) {
    Element element;
    std::memcpy(&element, buffer.data() + sizeof(ULONGLONG) + index * sizeof(Element), sizeof(element));
    if (element.type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS) supported.push_back(element.id);
  }
  const GUID expected[] = {
      {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}},  // 7
      {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}},  // 8
      {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}},  // 8.1
      {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}},  // 10 and 11
  };
  EXPECT_EQ(supported.size(), std::size(expected));
  for (const GUID& id : expected) {
    EXPECT_NE(std::find(supported.begin(), supported.end(), id), supported.end())
        << "missing supportedOS {" << std::hex << id.Data1 << "-...}";
  }
}

}  // namespace
