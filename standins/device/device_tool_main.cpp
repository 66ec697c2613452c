// DeviceTool: a person's hands on the simulated device. Lists its contacts
// and adds, edits and deletes them between two synchronisations; every change
// is marked, so the next synchronisation takes it to the desktop.
#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "console_text.h"
#include "help_request.h"
#include "contact_listing.h"
#include "device_store.h"
#include "field_assignment.h"

namespace {

constexpr char kUsage[] =
    "Usage: DeviceTool STORE COMMAND [ARGUMENTS]\n"
    "\n"
    "The contacts of a simulated device, kept in the file STORE.\n"
    "\n"
    "Commands:\n"
    "  list                        one line per contact: object id, mark, name\n"
    "  show ID                     every field of contact ID\n"
    "  add Field=Value...          a new contact (the store is created if missing)\n"
    "  edit ID Field=Value...      change fields of contact ID\n"
    "  delete ID                   delete contact ID\n"
    "\n"
    "Fields: FirstName, LastName, MiddleName, Title, CompanyName, Email1Address,\n"
    "MobileTelephoneNumber, and Street, City, State, PostalCode, Country and\n"
    "TelephoneNumber of the Home, Other and Business addresses (HomeAddressCity,\n"
    "BusinessTelephoneNumber, ...). An empty value clears a field.\n"
    "\n"
    "Added, edited and deleted contacts are marked \"changed\" or \"deleted\" until\n"
    "the next synchronisation takes them to the desktop. Only add creates a\n"
    "missing store; the other commands refuse one that is not there.\n"
    "\n"
    "DeviceTool --help (or /?) prints this text and does nothing else.\n"
    "Exit status: 0 done, 1 failed (the reason is on standard error; the store is\n"
    "left as it was), 2 for a command line it cannot understand.\n";

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::uint32_t ObjectId(std::wstring_view text) {
  std::uint64_t id = 0;
  const bool digits_only = !text.empty() && text.size() <= 10 &&
                           text.find_first_not_of(L"0123456789") == std::wstring_view::npos;
  if (digits_only) {
    for (const wchar_t digit : text) id = id * 10 + static_cast<std::uint64_t>(digit - L'0');
  }
  if (!digits_only || id == 0 || id > UINT32_MAX) {
    throw UsageError("\"" + console_text::Utf8(text) + "\" is not a contact id");
  }
  return static_cast<std::uint32_t>(id);
}

void ApplyAssignments(const std::vector<std::wstring_view>& assignments, contact_core::ContactRecord& record) {
  if (assignments.empty()) throw UsageError("give at least one Field=Value");
  for (const auto assignment : assignments) {
    device::ApplyAssignment(std::u16string_view(reinterpret_cast<const char16_t*>(assignment.data()), assignment.size()),
                            record);
  }
}

device::Entry LiveEntry(const device::DeviceStore& store, std::uint32_t id) {
  const auto entry = store.Find(id);
  if (!entry) throw std::invalid_argument("the device holds no contact " + std::to_string(id));
  if (entry->marks.deleted) throw std::invalid_argument("contact " + std::to_string(id) + " is deleted");
  return *entry;
}

void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

int Run(const std::vector<std::wstring_view>& args) {
  if (console::AsksForHelp(args)) {
    Print(kUsage);
    return 0;
  }
  for (const std::wstring_view arg : args) {
    if (arg.starts_with(L"--")) throw UsageError("\"" + console_text::Utf8(arg) + "\" is not understood");
  }
  if (args.size() < 2) throw UsageError("give a store file and a command");
  // Refuses what comes after the arguments a command takes, by name.
  const auto at_most = [&args](std::size_t count, const char* command) {
    if (args.size() > 2 + count) {
      throw UsageError(std::string(command) + " takes " + (count == 0 ? "no arguments" : "one contact id") + ": \"" +
                       console_text::Utf8(args[2 + count]) + "\" is one too many");
    }
  };
  const std::filesystem::path file(args[0]);
  const std::wstring_view command = args[1];
  const std::vector<std::wstring_view> rest(args.begin() + 2, args.end());
  using Access = device::DeviceStore::Access;

  if (command == L"list") {
    at_most(0, "list");
    const device::DeviceStore store(file, Access::Read);
    const auto entries = store.Entries();
    Print(std::to_string(entries.size()) + (entries.size() == 1 ? " contact" : " contacts") + " on the device\n");
    for (const auto& entry : entries) Print(device::ListLine(entry) + "\n");
    return 0;
  }
  if (command == L"show") {
    at_most(1, "show");
    if (rest.empty()) throw UsageError("show takes one contact id");
    const device::DeviceStore store(file, Access::Read);
    const auto entry = store.Find(ObjectId(rest[0]));
    if (!entry) throw std::invalid_argument("the device holds no contact " + console_text::Utf8(rest[0]));
    Print(device::FullListing(*entry));
    return 0;
  }
  if (command == L"add") {
    contact_core::ContactRecord record;
    ApplyAssignments(rest, record);
    device::DeviceStore store(file, Access::Change);
    const std::uint32_t id = store.Add(record, {.changed = true});
    Print("Added contact " + std::to_string(id) + "\n");
    return 0;
  }
  if (command == L"edit") {
    if (rest.empty()) throw UsageError("edit takes a contact id and Field=Value...");
    const std::uint32_t id = ObjectId(rest[0]);
    device::DeviceStore store(file, Access::ChangeExisting);
    contact_core::ContactRecord record = LiveEntry(store, id).record;
    ApplyAssignments({rest.begin() + 1, rest.end()}, record);
    store.Put(id, record, {.changed = true});
    Print("Changed contact " + std::to_string(id) + "\n");
    return 0;
  }
  if (command == L"delete") {
    at_most(1, "delete");
    if (rest.empty()) throw UsageError("delete takes one contact id");
    const std::uint32_t id = ObjectId(rest[0]);
    device::DeviceStore store(file, Access::ChangeExisting);
    LiveEntry(store, id);
    store.SetMarks(id, {.deleted = true});
    Print("Deleted contact " + std::to_string(id) + "\n");
    return 0;
  }
  throw UsageError("unknown command \"" + console_text::Utf8(command) + "\"");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  console_text::UseUtf8Output();
  const std::vector<std::wstring_view> args(argv + 1, argv + argc);
  try {
    return Run(args);
  } catch (const UsageError& error) {
    std::fprintf(stderr, "DeviceTool: %s\n\n%s", error.what(), kUsage);
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "DeviceTool: %s\n", error.what());
    return 1;
  }
}
