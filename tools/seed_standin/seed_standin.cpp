// Fills the Outlook stand-in's Contacts folder (the store file a registered
// OutlookStandin.dll serves: OUTLOOK_STANDIN_STORE, else the user's default)
// with the made-up sample address book, or empties it. What the folder held
// before is replaced.
//
//   SeedStandin.exe [/empty]
//   SeedStandin.exe /?          (or --help)
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "console_text.h"
#include "help_request.h"
#include "optional_switch.h"
#include "outlook_standin.h"

namespace {

constexpr char kUsage[] =
    "Usage: SeedStandin [/empty]\n"
    "\n"
    "Replaces what the Outlook stand-in's Contacts folder holds with the made-up\n"
    "sample address book, or with nothing (/empty). The folder is the store file\n"
    "named by OUTLOOK_STANDIN_STORE, else %LOCALAPPDATA%\\OutlookStandin\\contacts.olstore.\n"
    "\n"
    "SeedStandin /? (or --help) prints this text and does nothing else.\n"
    "Exit status: 0 seeded, 1 failed (the reason is on standard error), 2 for\n"
    "arguments it cannot understand (nothing is changed).\n";

std::string Counted(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string Describe(const std::vector<outlook_standin::FolderItem>& items) {
  std::size_t contacts = 0;
  for (const auto& item : items) contacts += item.kind == outlook_standin::ItemKind::Contact ? 1 : 0;
  return Counted(items.size(), "item", "items") + " (" + Counted(contacts, "contact", "contacts") + ", " +
         Counted(items.size() - contacts, "other item", "other items") + ")";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  console_text::UseUtf8Output();
  const std::vector<std::wstring_view> arguments(argv + 1, argv + argc);
  if (console::AsksForHelp(arguments)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const console::OptionalSwitch empty_switch = console::ReadOptionalSwitch(arguments, L"/empty");
  if (!empty_switch.problem.empty()) {
    std::fprintf(stderr, "SeedStandin: %s; nothing was changed.\n\n%s", empty_switch.problem.c_str(), kUsage);
    return 2;
  }
  const bool empty = empty_switch.given;
  try {
    const std::string store = console_text::PathUtf8(outlook_standin::StoreFile());
    // A store that cannot be read is replaced all the same: that is what
    // seeding is for.
    std::string before;
    try {
      before = "it held " + Describe(outlook_standin::FolderContents()) + " before";
    } catch (const std::exception& error) {
      before = std::string("what it held before could not be read: ") + error.what();
    }
    const auto items = empty ? std::vector<outlook_standin::FolderItem>{} : outlook_standin::SampleAddressBook();
    outlook_standin::SeedFolder(items);
    std::printf("The stand-in's Contacts folder (%s) now holds %s; %s.\n", store.c_str(),
                Describe(outlook_standin::FolderContents()).c_str(), before.c_str());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "SeedStandin: could not seed the stand-in: %s\n", error.what());
    return 1;
  }
  return 0;
}
