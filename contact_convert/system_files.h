// The converter's files on the system it was built for: POSIX files in the
// native build (posix_files.cpp), Win32 files in the Windows one
// (windows_files.cpp).
#pragma once

#include "platform_files.h"

namespace contact_convert {

class SystemFiles final : public PlatformFiles {
 public:
  std::unique_ptr<quillmere::FileAccess> OpenToRead(const std::filesystem::path& path) override;
  std::unique_ptr<quillmere::FileAccess> OpenToAppend(const std::filesystem::path& path) override;
  std::unique_ptr<quillmere::FileAccess> CreateNew(const std::filesystem::path& path) override;
  bool ReplaceWith(const std::filesystem::path& from, const std::filesystem::path& to) override;
};

}  // namespace contact_convert
