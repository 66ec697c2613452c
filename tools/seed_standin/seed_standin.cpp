// Fills the Outlook stand-in's Contacts folder (the store file a registered
// OutlookStandin.dll serves: OUTLOOK_STANDIN_STORE, else the user's default)
// with the made-up sample address book, or empties it.
//
//   SeedStandin.exe [/empty]
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string_view>

#include "outlook_standin.h"

int wmain(int argc, wchar_t** argv) {
  const bool empty = argc > 1 && std::wstring_view(argv[1]) == L"/empty";
  try {
    const auto items = empty ? std::vector<outlook_standin::FolderItem>{} : outlook_standin::SampleAddressBook();
    outlook_standin::SeedFolder(items);
    std::printf("%zu items in the stand-in's Contacts folder, %ls\n", outlook_standin::FolderContents().size(),
                outlook_standin::StoreFile().c_str());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "could not seed the stand-in: %s\n", error.what());
    return 1;
  }
  return 0;
}
