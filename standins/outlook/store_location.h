// Where the store file lives unless a test or tool chooses another file.
#pragma once

#include <filesystem>

namespace outlook_standin {

// The file named by OUTLOOK_STANDIN_STORE, else
// %LOCALAPPDATA%\OutlookStandin\contacts.olstore.
std::filesystem::path DefaultStoreFile();

}  // namespace outlook_standin
