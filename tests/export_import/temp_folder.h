// A folder of the test's own under the temporary folder, removed with
// everything in it when the test is done.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace quillmere::testing {

class TempFolder {
 public:
  explicit TempFolder(const std::wstring& purpose) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::filesystem::path(temp) /
            (L"qm-" + purpose + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++count_));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::wstring& name) const { return path_ / name; }

 private:
  inline static int count_ = 0;
  std::filesystem::path path_;
};

}  // namespace quillmere::testing
