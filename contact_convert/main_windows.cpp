// ContactConvert.exe, the converter built for Windows: the same conversion as
// the native program, over Win32 files, its output in UTF-8.
#include <windows.h>

#include <iostream>

#include "converter.h"
#include "system_files.h"
#include "terminal.h"
#include "utf8_text.h"

int wmain(int argc, wchar_t** argv) {
  SetConsoleOutputCP(CP_UTF8);
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    std::string word;
    contact_core::AppendUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(argv[i])), word);
    words.push_back(std::move(word));
  }
  contact_convert::SystemFiles files;
  return contact_convert::RunConverter(words, files, std::cout, std::cerr, console::StandardErrorIsTerminal());
}
