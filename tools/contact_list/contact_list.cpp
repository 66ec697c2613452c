// Lists the contacts of Outlook's default Contacts folder through the contact
// core, the way the deliverables see them: one record per contact.
//
//   ContactList.exe [/all]     (/all prints every non-empty field)
//   ContactList.exe /?         (or --help)
#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "help_request.h"
#include "optional_switch.h"
#include "contact_mapping.h"
#include "outlook_session.h"

namespace {

void PrintUtf8(std::u16string_view text) {
  if (text.empty()) return;
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string utf8(bytes, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, length, utf8.data(), bytes, nullptr, nullptr);
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

void PrintLine(std::string_view label, std::u16string_view text) {
  std::printf("    %-26.*s ", static_cast<int>(label.size()), label.data());
  PrintUtf8(text);
  std::printf("\n");
}

constexpr char kUsage[] =
    "Usage: ContactList [/all]\n"
    "\n"
    "Lists the contacts of Outlook's default Contacts folder as Quillmere and\n"
    "Pelloquin read them: names, EntryID and company, or with /all every field\n"
    "that is not empty. Changes nothing.\n"
    "\n"
    "ContactList /? (or --help) prints this text.\n"
    "Exit status: 0 listed, 1 Outlook could not be read (the reason is on standard\n"
    "error), 2 for arguments it cannot understand.\n";

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::vector<std::wstring_view> arguments(argv + 1, argv + argc);
  if (console::AsksForHelp(arguments)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const console::OptionalSwitch all_switch = console::ReadOptionalSwitch(arguments, L"/all");
  if (!all_switch.problem.empty()) {
    std::fprintf(stderr, "ContactList: %s\n\n%s", all_switch.problem.c_str(), kUsage);
    return 2;
  }
  const bool all_fields = all_switch.given;
  SetConsoleOutputCP(CP_UTF8);
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  int exit_code = 0;
  try {
    contact_core::OutlookSession session;
    const long items = session.OpenContacts();
    if (!session.HasOpenCollection()) {
      std::fprintf(stderr, "Outlook's Contacts folder could not be opened.\n");
      exit_code = 1;
    } else {
      std::printf("%ld items in the Contacts folder\n", items);
      int listed = 0;
      for (IDispatchPtr contact = session.FirstContact(); contact; contact = session.NextContact()) {
        contact_core::ContactRecord record;
        contact_core::ReadContact(contact, &record);
        std::printf("%3d  ", ++listed);
        PrintUtf8(record.Text(contact_core::FieldId::LastName));
        std::printf(", ");
        PrintUtf8(record.Text(contact_core::FieldId::FirstName));
        std::printf("\n");
        for (std::size_t index = 0; index < contact_core::kContactFieldCount; ++index) {
          const std::string_view name = contact_core::kContactFields[index].name;
          const auto text = record.Text(static_cast<contact_core::FieldId>(index));
          if (!text.empty() && (all_fields || name == "EntryID" || name == "CompanyName")) PrintLine(name, text);
        }
      }
      std::printf("%d contacts listed (items that are not contacts are passed over)\n", listed);
    }
  } catch (const _com_error& error) {
    std::fprintf(stderr, "Outlook failed: 0x%08lX\n", static_cast<unsigned long>(error.Error()));
    exit_code = 1;
  }
  CoUninitialize();
  return exit_code;
}
