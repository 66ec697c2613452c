#include "drive_folders.h"

namespace quillmere {

namespace {

std::wstring CurrentDirectory() {
  const DWORD length = GetCurrentDirectoryW(0, nullptr);
  std::wstring directory(length, L'\0');
  directory.resize(GetCurrentDirectoryW(length, directory.data()));
  return directory;
}

// Keeps a drive without a medium from asking the user to insert one.
class QuietDriveErrors {
 public:
  QuietDriveErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_); }
  ~QuietDriveErrors() { SetThreadErrorMode(previous_, nullptr); }
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  DWORD previous_ = 0;
};

}  // namespace

std::wstring DriveFolder(wchar_t letter) {
  std::wstring folder = L"C:\\ContactDB\\";
  folder[0] = letter;
  return folder;
}

std::vector<std::wstring> UsableDriveFolders() {
  const QuietDriveErrors quiet;
  const std::wstring remembered = CurrentDirectory();
  std::vector<std::wstring> folders;
  for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    if (SetCurrentDirectoryW(root)) folders.push_back(DriveFolder(letter));
  }
  SetCurrentDirectoryW(remembered.c_str());
  return folders;
}

void FillDriveList(HWND combo) {
  for (const std::wstring& folder : UsableDriveFolders()) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(folder.c_str()));
  }
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

std::vector<std::wstring> ContactFileNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((folder + L"*.fs").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

}  // namespace quillmere
