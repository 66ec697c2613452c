// A contact file on disk, opened the way the export and the import need it:
// exclusively, so no other program changes it while a command runs.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "file_access.h"

namespace quillmere {

class Win32File final : public FileAccess {
 public:
  // For the export: opens the file for reading and writing, or creates it
  // empty when it does not exist. Never truncates an existing file. Null when
  // it can be neither opened nor created.
  static std::unique_ptr<Win32File> OpenForExport(const std::wstring& path);
  // For the import: opens an existing file for reading. Null on failure.
  static std::unique_ptr<Win32File> OpenForImport(const std::wstring& path);
  // Creates a new file for writing; null when it exists already or cannot be created.
  static std::unique_ptr<Win32File> CreateNew(const std::wstring& path);

  ~Win32File() override;
  Win32File(const Win32File&) = delete;
  Win32File& operator=(const Win32File&) = delete;

  std::optional<std::uint64_t> Size() override;
  bool Seek(std::uint64_t offset) override;
  std::size_t Read(std::span<std::byte> buffer) override;
  bool Write(std::span<const std::byte> bytes) override;
  bool Truncate(std::uint64_t size) override;

  // Puts what was written on the disk.
  bool Flush();
  // The system's error of the last operation that failed, as an HRESULT.
  HRESULT LastError() const { return lastError_; }

 private:
  explicit Win32File(HANDLE handle) : handle_(handle) {}
  static std::unique_ptr<Win32File> Open(const std::wstring& path, DWORD access, DWORD disposition);

  bool Failed();

  HANDLE handle_;
  HRESULT lastError_ = S_OK;
};

}  // namespace quillmere
