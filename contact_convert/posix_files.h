// The converter's files on a POSIX system.
#pragma once

#include "platform_files.h"

namespace contact_convert {

class PosixFiles final : public PlatformFiles {
 public:
  std::unique_ptr<quillmere::FileAccess> OpenToRead(const std::filesystem::path& path) override;
  std::unique_ptr<quillmere::FileAccess> OpenToAppend(const std::filesystem::path& path) override;
  std::unique_ptr<quillmere::FileAccess> CreateNew(const std::filesystem::path& path) override;
  bool ReplaceWith(const std::filesystem::path& from, const std::filesystem::path& to) override;
};

}  // namespace contact_convert
