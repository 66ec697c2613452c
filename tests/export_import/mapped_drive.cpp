#include "mapped_drive.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <string>
#include <vector>

namespace quillmere::testing {

namespace {

// Wine's own mount manager request, as its include/ddk/mountmgr.h defines it.
constexpr DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
struct UnixDriveRequest {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDevice;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};

std::string UnixPathOf(const std::filesystem::path& folder) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto to_unix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (to_unix == nullptr) return {};
  char* unix_path = to_unix(folder.wstring().c_str());
  if (unix_path == nullptr) return {};
  std::string path = unix_path;
  HeapFree(GetProcessHeap(), 0, unix_path);
  return path;
}

// An empty mount point removes the drive.
bool DefineDrive(wchar_t letter, const std::string& unix_path) {
  const HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) return false;
  std::vector<char> request(sizeof(UnixDriveRequest) + unix_path.size() + 1, '\0');
  auto* header = reinterpret_cast<UnixDriveRequest*>(request.data());
  header->size = static_cast<ULONG>(request.size());
  header->letter = static_cast<WCHAR>(towlower(letter));
  header->type = unix_path.empty() ? DRIVE_NO_ROOT_DIR : DRIVE_FIXED;
  if (!unix_path.empty()) {
    header->mountPointOffset = sizeof(UnixDriveRequest);
    std::memcpy(request.data() + sizeof(UnixDriveRequest), unix_path.c_str(), unix_path.size() + 1);
  }
  DWORD returned = 0;
  const BOOL defined = DeviceIoControl(manager, kDefineUnixDrive, request.data(), static_cast<DWORD>(request.size()),
                                       nullptr, 0, &returned, nullptr);
  CloseHandle(manager);
  return defined != FALSE;
}

}  // namespace

bool DriveIsUsable(wchar_t letter) {
  const wchar_t root[] = {letter, L':', L'\\', L'\0'};
  const UINT type = GetDriveTypeW(root);
  return type != DRIVE_NO_ROOT_DIR && type != DRIVE_UNKNOWN;
}

MappedDrive::MappedDrive(wchar_t letter, const std::filesystem::path& folder) : letter_(letter) {
  if (DriveIsUsable(letter)) return;  // someone else's drive: leave it alone
  const std::string unix_path = UnixPathOf(folder);
  mapped_ = !unix_path.empty() && DefineDrive(letter, unix_path);
}

MappedDrive::~MappedDrive() {
  if (mapped_) DefineDrive(letter_, {});
}

}  // namespace quillmere::testing
