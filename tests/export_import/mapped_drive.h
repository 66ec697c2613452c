// Drive D: for the length of a test, mapped in the Wine prefix to a folder of
// the test's own through Wine's mount manager (what winecfg does), and
// unmapped again afterwards. The mapping is visible to every process of the
// prefix, so a test that uses it runs alone.
#pragma once

#include <filesystem>

namespace quillmere::testing {

class MappedDrive {
 public:
  // Maps `letter` to `folder`; Mapped() tells whether that worked.
  MappedDrive(wchar_t letter, const std::filesystem::path& folder);
  ~MappedDrive();
  MappedDrive(const MappedDrive&) = delete;
  MappedDrive& operator=(const MappedDrive&) = delete;

  bool Mapped() const { return mapped_; }

 private:
  wchar_t letter_;
  bool mapped_ = false;
};

// Whether the process can make the drive its current drive.
bool DriveIsUsable(wchar_t letter);

}  // namespace quillmere::testing
