#include "host_state_file.h"

#include <windows.h>

#include <limits>
#include <memory>
#include <string>

#include "console_text.h"
#include "host_error.h"

namespace sync_host {
namespace {

using console_text::PathUtf8;

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

FileHandle OpenFile(const std::filesystem::path& file, DWORD access, DWORD disposition) {
  const HANDLE handle = CreateFileW(file.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return FileHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

[[noreturn]] void Fail(const char* what, const std::filesystem::path& file, DWORD error) {
  throw HostError(std::string(what) + " the host state file " + PathUtf8(file) + ": " + console_text::Win32ErrorText(error));
}

}  // namespace

std::optional<HostState> LoadHostState(const std::filesystem::path& file) {
  const FileHandle handle = OpenFile(file, GENERIC_READ, OPEN_EXISTING);
  if (!handle) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return std::nullopt;
    Fail("cannot open", file, error);
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle.get(), &size)) Fail("cannot read", file, GetLastError());
  if (size.QuadPart > std::numeric_limits<DWORD>::max()) throw HostError(PathUtf8(file) + " is too large for a host state file");
  Bytes bytes(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() &&
      (!ReadFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())) {
    Fail("cannot read", file, GetLastError());
  }
  try {
    return DecodeHostState(bytes);
  } catch (const StateFormatError& error) {
    throw HostError(PathUtf8(file) + ": " + error.what());
  }
}

void SaveHostState(const std::filesystem::path& file, const HostState& state) {
  const Bytes bytes = EncodeHostState(state);
  std::filesystem::path fresh = file;
  fresh += L".new";
  {
    const FileHandle handle = OpenFile(fresh, GENERIC_WRITE, CREATE_ALWAYS);
    if (!handle) Fail("cannot write", fresh, GetLastError());
    DWORD written = 0;
    if (!WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !FlushFileBuffers(handle.get())) {
      Fail("cannot write", fresh, GetLastError());
    }
  }
  if (!MoveFileExW(fresh.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    DeleteFileW(fresh.c_str());
    Fail("cannot replace", file, error);
  }
}

}  // namespace sync_host
