// The file operations the converter needs from the system it runs on: the
// native build gives it POSIX files, the Windows build Win32 files.
#pragma once

#include <filesystem>
#include <memory>

#include "file_access.h"

namespace contact_convert {

class PlatformFiles {
 public:
  virtual ~PlatformFiles() = default;

  // An existing file, for reading. Null when it cannot be opened.
  virtual std::unique_ptr<quillmere::FileAccess> OpenToRead(const std::filesystem::path& path) = 0;
  // An existing file for reading and writing, or a new empty one; never
  // truncated. Opened so that no other program writes it meanwhile. Null on failure.
  virtual std::unique_ptr<quillmere::FileAccess> OpenToAppend(const std::filesystem::path& path) = 0;
  // A new file; null when it exists already or cannot be created.
  virtual std::unique_ptr<quillmere::FileAccess> CreateNew(const std::filesystem::path& path) = 0;
  // Puts the finished file `from` in the place of `to` in one step, whether
  // or not `to` exists, with its bytes on the disk first.
  virtual bool ReplaceWith(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
};

}  // namespace contact_convert
