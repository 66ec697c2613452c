// Contact files live in a folder ContactDB at the root of a drive, C to Z.
// The pickers offer one such folder per drive the process can make its
// current drive, listed whether the folder exists or not.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quillmere {

// "C:\ContactDB\" with its first character replaced by `letter`.
std::wstring DriveFolder(wchar_t letter);

// The drive folders of the usable drives from C to Z, in drive order. A
// drive counts as usable when the process can make it its current drive;
// the current directory is the same afterwards.
std::vector<std::wstring> UsableDriveFolders();

// Fills a sorted combo box with the usable drive folders and selects the
// first, normally C's.
void FillDriveList(HWND combo);

// Names (without folder) of the files, not directories, in `folder` that the
// pattern "*.fs" matches.
std::vector<std::wstring> ContactFileNames(const std::wstring& folder);

}  // namespace quillmere
