// Quillmere: exports Outlook's contacts to a contact file and imports such a
// file back into Outlook. Without arguments it opens its window; with them it
// runs one command from the command line (command_line.h).
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "command_line.h"
#include "quillmere_app.h"

namespace {

std::vector<std::wstring> Arguments() {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> arguments;
  if (words == nullptr) return arguments;
  for (int index = 1; index < count; ++index) arguments.emplace_back(words[index]);
  LocalFree(words);
  return arguments;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  if (const auto request = quillmere::ParseCommandLine(Arguments())) return quillmere::RunCommandLine(*request);
  quillmere::QuillmereApp().InitInstance();
  return 0;
}
