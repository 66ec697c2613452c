#include "system_files.h"

#include <windows.h>

#include "win32_file.h"

namespace contact_convert {

std::unique_ptr<quillmere::FileAccess> SystemFiles::OpenToRead(const std::filesystem::path& path) {
  return quillmere::Win32File::OpenForImport(path.wstring());
}

std::unique_ptr<quillmere::FileAccess> SystemFiles::OpenToAppend(const std::filesystem::path& path) {
  return quillmere::Win32File::OpenForExport(path.wstring());
}

std::unique_ptr<quillmere::FileAccess> SystemFiles::CreateNew(const std::filesystem::path& path) {
  return quillmere::Win32File::CreateNew(path.wstring());
}

bool SystemFiles::ReplaceWith(const std::filesystem::path& from, const std::filesystem::path& to) {
  {
    const auto written = quillmere::Win32File::OpenForExport(from.wstring());
    if (!written || !written->Flush()) return false;
  }
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

}  // namespace contact_convert
