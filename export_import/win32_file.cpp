#include "win32_file.h"

#include <algorithm>
#include <limits>

namespace quillmere {

namespace {

// ReadFile and WriteFile move at most 4 GB - 1 per call; contact files stay
// far below, but a caller's buffer is not bounded here.
constexpr std::size_t kLargestTransfer = std::numeric_limits<DWORD>::max();

LARGE_INTEGER AsLargeInteger(std::uint64_t value) {
  LARGE_INTEGER large;
  large.QuadPart = static_cast<LONGLONG>(value);
  return large;
}

}  // namespace

std::unique_ptr<Win32File> Win32File::Open(const std::wstring& path, DWORD access, DWORD disposition) {
  const HANDLE handle = CreateFileW(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::unique_ptr<Win32File>(new Win32File(handle));
}

std::unique_ptr<Win32File> Win32File::OpenForExport(const std::wstring& path) {
  return Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
}

std::unique_ptr<Win32File> Win32File::OpenForImport(const std::wstring& path) {
  return Open(path, GENERIC_READ, OPEN_EXISTING);
}

std::unique_ptr<Win32File> Win32File::CreateNew(const std::wstring& path) {
  return Open(path, GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
}

bool Win32File::Failed() {
  lastError_ = HRESULT_FROM_WIN32(GetLastError());
  return false;
}

bool Win32File::Flush() { return FlushFileBuffers(handle_) != FALSE || Failed(); }

Win32File::~Win32File() { CloseHandle(handle_); }

std::optional<std::uint64_t> Win32File::Size() {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handle_, &size)) {
    Failed();
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(size.QuadPart);
}

bool Win32File::Seek(std::uint64_t offset) {
  return SetFilePointerEx(handle_, AsLargeInteger(offset), nullptr, FILE_BEGIN) != FALSE || Failed();
}

std::size_t Win32File::Read(std::span<std::byte> buffer) {
  std::size_t arrived = 0;
  while (arrived < buffer.size()) {
    const auto wanted = static_cast<DWORD>(std::min(buffer.size() - arrived, kLargestTransfer));
    DWORD read = 0;
    if (!ReadFile(handle_, buffer.data() + arrived, wanted, &read, nullptr) || read == 0) break;
    arrived += read;
  }
  return arrived;
}

bool Win32File::Write(std::span<const std::byte> bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const auto wanted = static_cast<DWORD>(std::min(bytes.size() - written, kLargestTransfer));
    DWORD done = 0;
    if (!WriteFile(handle_, bytes.data() + written, wanted, &done, nullptr)) return Failed();
    if (done == 0) return false;
    written += done;
  }
  return true;
}

bool Win32File::Truncate(std::uint64_t size) {
  return Seek(size) && (SetEndOfFile(handle_) != FALSE || Failed());
}

}  // namespace quillmere
