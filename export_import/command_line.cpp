#include "command_line.h"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <set>

#include "console_output.h"
#include "console_text.h"
#include "file_commands.h"
#include "language.h"
#include "ole_apartment.h"
#include "progress_line.h"
#include "quillmere_session.h"

namespace quillmere {

namespace {

constexpr int kSucceeded = 0;
constexpr int kFailed = 1;
constexpr int kNotUnderstood = 2;

constexpr std::wstring_view kUsage =
    L"Usage:\r\n"
    L"  Quillmere.exe /export <path> [/entryid <id>]... [/quiet]\r\n"
    L"      Writes Outlook's contacts to the contact file <path>, appending to it when it\r\n"
    L"      exists: all contacts, or only those whose EntryID is given. An export that\r\n"
    L"      would write no contact fails and makes no file.\r\n"
    L"  Quillmere.exe /import <path> [/quiet]\r\n"
    L"      Creates a new Outlook contact for every record of the contact file <path>.\r\n"
    L"  Quillmere.exe /?   (or /help, --help)\r\n"
    L"      Shows this text and does nothing else.\r\n"
    L"Results go to standard output, failures with their reason to standard error; on a\r\n"
    L"console a progress line follows the work unless /quiet is given.\r\n"
    L"Exit code: 0 when all of it was done, 1 when something was left undone (the\r\n"
    L"reason is on standard error), 2 for arguments that cannot be understood.\r\n"
    L"Without arguments, Quillmere opens its window.";

bool IsSwitch(std::wstring_view argument, std::wstring_view name) {
  return CompareStringOrdinal(argument.data(), static_cast<int>(argument.size()), name.data(),
                              static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

bool IsHelpSwitch(std::wstring_view argument) {
  return IsSwitch(argument, L"/?") || IsSwitch(argument, L"-?") || IsSwitch(argument, L"/help") ||
         IsSwitch(argument, L"--help");
}

std::wstring FullPath(const std::wstring& path) {
  const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring full(length, L'\0');
  full.resize(GetFullPathNameW(path.c_str(), length, full.data(), nullptr));
  return full;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The folder the file goes in, made the way the export button makes its
// drive folder; whether that worked shows when the file is opened.
void CreateParentFolder(const std::wstring& path) {
  const auto separator = path.find_last_of(L"\\/");
  if (separator != std::wstring::npos) CreateDirectoryW(path.substr(0, separator).c_str(), nullptr);
}

std::wstring Wide(std::string_view utf8) {
  const int length = static_cast<int>(utf8.size());
  const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), units);
  return wide;
}

std::wstring SystemWords(HRESULT error) { return Wide(console_text::SystemErrorText(error)); }

std::wstring Count(std::size_t count, std::wstring_view one, std::wstring_view many) {
  return std::to_wstring(count) + L" " + std::wstring(count == 1 ? one : many);
}

void Say(std::wstring_view line) { WriteLine(STD_OUTPUT_HANDLE, L"Quillmere: " + std::wstring(line)); }
void Complain(std::wstring_view line) { WriteLine(STD_ERROR_HANDLE, L"Quillmere: " + std::wstring(line)); }

// The progress line on standard error, when that is a console and not /quiet.
class ConsoleProgress {
 public:
  ConsoleProgress(std::wstring_view what, bool quiet)
      : what_(console_text::Utf8(what)),
        line_([](std::string_view text) { Write(STD_ERROR_HANDLE, Wide(text)); },
              !quiet && IsConsole(STD_ERROR_HANDLE)) {}
  ProgressReport Report() {
    return [this](std::size_t done, std::size_t total) { line_.Update(what_, done, total); };
  }
  void Clear() { line_.Clear(); }

 private:
  std::string what_;
  console::ProgressLine line_;
};

std::wstring ExportStopReason(const ExportOutcome& outcome, const std::wstring& path) {
  using Stop = ExportOutcome::Stop;
  switch (outcome.stop) {
    case Stop::FileNotOpened:
      return L"cannot open or create " + path + L": " + SystemWords(outcome.error);
    case Stop::FileNotValid:
      if (outcome.recordsWritten > 0) return path + L" can take no more records: " + Wide(outcome.fileProblem);
      return path + L" is not a contact file that can be appended to: " + Wide(outcome.fileProblem) +
             L"; it was left as it was";
    case Stop::OutlookUnreachable:
      return L"Outlook cannot be reached: its Contacts folder could not be opened";
    case Stop::OutlookFailed:
      return L"Outlook failed while its Contacts folder was walked: " + SystemWords(outcome.error);
    case Stop::ContactNotRead:
      return L"Outlook could not deliver every property of the contact with EntryID " + outcome.contact + L": " +
             SystemWords(outcome.error);
    case Stop::RecordNotWritten:
      return L"the record of the contact with EntryID " + outcome.contact + L" could not be written to " + path +
             L": " + SystemWords(outcome.error);
    case Stop::None:
      break;
  }
  return {};
}

int Export(const CommandLineRequest& request) {
  const std::wstring path = FullPath(request.path);
  CreateParentFolder(path);
  const bool existed = Exists(path);
  QuillmereSession session;
  std::set<std::wstring, std::less<>> named(request.entryIds.begin(), request.entryIds.end());
  std::set<std::wstring, std::less<>> found;
  const auto chosen = [&](std::wstring_view entry_id) {
    if (named.empty()) return true;
    const auto match = named.find(entry_id);
    if (match == named.end()) return false;
    found.insert(*match);
    return true;
  };
  ConsoleProgress progress(L"Exporting: contacts walked", request.quiet);
  const ExportOutcome outcome = ExportContactsToFile(session, path, chosen, progress.Report());
  progress.Clear();

  // A file this run made and left without a record is of no use to anyone
  // (the import refuses it): it goes.
  bool madeNoFile = false;
  if (outcome.recordsWritten == 0 && !existed && outcome.stop != ExportOutcome::Stop::FileNotOpened) {
    madeNoFile = DeleteFileW(path.c_str()) != FALSE;
  }
  std::wstring missing;
  for (const auto& id : named) {
    if (!found.contains(id)) missing += (missing.empty() ? L"" : L", ") + id;
  }
  const std::wstring met = Count(outcome.contactsMet, L"contact", L"contacts") + L" in Outlook";
  const std::wstring held = Count(outcome.recordsBefore + outcome.recordsWritten, L"record", L"records");

  if (outcome && outcome.recordsWritten > 0) {
    WriteLine(STD_OUTPUT_HANDLE, ExportResultText(true, path));
    Say(L"wrote " + std::to_wstring(outcome.recordsWritten) + L" of the " + met + L" to " + path + L", after the " +
        Count(outcome.recordsBefore, L"record", L"records") + L" it held; it now holds " + held + L".");
    if (missing.empty()) return kSucceeded;
    Complain(L"no contact in Outlook has the EntryID " + missing + L"; " +
             std::to_wstring(named.size() - found.size()) + L" of the " + std::to_wstring(named.size()) +
             L" named were not written.");
    return kFailed;
  }

  WriteLine(STD_ERROR_HANDLE, ExportResultText(false, path));
  if (outcome) {
    Complain(named.empty() ? L"Outlook's Contacts folder holds no contacts (" + met + L"); nothing to export."
                           : L"none of the EntryIDs given (" + missing + L") names one of the " + met +
                                 L"; nothing to export.");
  } else {
    Complain(ExportStopReason(outcome, path) + L".");
  }
  if (outcome.recordsWritten > 0) {
    Complain(L"the " + Count(outcome.recordsWritten, L"record", L"records") + L" written before that (" +
             std::to_wstring(outcome.contactsMet) + L" of the contacts in Outlook walked) " +
             (outcome.recordsWritten == 1 ? L"stays" : L"stay") + L" in " + path + L", which is valid and holds " +
             held + L".");
  } else if (madeNoFile) {
    Complain(L"nothing was written, and no file was made.");
  } else if (existed) {
    Complain(L"nothing was written; " + path + L" is as it was.");
  }
  return kFailed;
}

std::wstring ImportStopReason(const ImportOutcome& outcome, const std::wstring& path) {
  using Stop = ImportOutcome::Stop;
  const std::wstring record =
      L"record " + std::to_wstring(outcome.contactsCreated + 1) + L" of " + std::to_wstring(outcome.recordsInFile);
  switch (outcome.stop) {
    case Stop::FileNotOpened:
      return L"cannot open " + path + L": " + SystemWords(outcome.error);
    case Stop::FileNotValid:
      return path + L" is not a contact file: " + Wide(outcome.fileProblem) + L"; Outlook was not touched";
    case Stop::OutlookUnreachable:
      return L"Outlook cannot be reached: its Contacts folder could not be opened";
    case Stop::RecordNotRead:
      return record + L" of " + path + L" could not be read whole";
    case Stop::ContactNotCreated:
      return L"Outlook did not take " + record + L" of " + path + L" as a new contact" +
             (outcome.error != S_OK ? L": " + SystemWords(outcome.error) : L"");
    case Stop::None:
      break;
  }
  return {};
}

int Import(const CommandLineRequest& request) {
  const std::wstring path = FullPath(request.path);
  QuillmereSession session;
  ConsoleProgress progress(L"Importing: contacts created", request.quiet);
  const ImportOutcome outcome = ImportContactsFromFile(session, path, progress.Report());
  progress.Clear();
  const std::wstring created = Count(outcome.contactsCreated, L"new contact", L"new contacts");
  if (outcome) {
    WriteLine(STD_OUTPUT_HANDLE, ImportResultText(true));
    Say(L"read " + Count(outcome.recordsInFile, L"record", L"records") + L" from " + path + L"; Outlook has " +
        created + L".");
    return kSucceeded;
  }
  WriteLine(STD_ERROR_HANDLE, ImportResultText(false));
  Complain(ImportStopReason(outcome, path) + L".");
  if (outcome.contactsCreated > 0) {
    Complain(L"the " + created + L" made from the records before stay in Outlook; importing the file again makes "
             L"them a second time.");
  } else if (outcome.stop != ImportOutcome::Stop::FileNotOpened && outcome.stop != ImportOutcome::Stop::FileNotValid) {
    Complain(L"no contact was created.");
  }
  return kFailed;
}

// Reads the arguments after the command's path: /entryid <id> (export only)
// and /quiet; anything else is named in `problem`.
void ReadOptions(const std::vector<std::wstring>& arguments, CommandLineRequest& request, bool export_command) {
  for (std::size_t index = 2; index < arguments.size(); ++index) {
    const std::wstring& argument = arguments[index];
    if (IsSwitch(argument, L"/entryid") && export_command) {
      if (index + 1 >= arguments.size()) {
        request.problem = argument + L" needs an EntryID";
        return;
      }
      request.entryIds.push_back(arguments[++index]);
    } else if (IsSwitch(argument, L"/quiet")) {
      if (request.quiet) {
        request.problem = argument + L" is given twice";
        return;
      }
      request.quiet = true;
    } else if (IsSwitch(argument, L"/export") || IsSwitch(argument, L"/import")) {
      request.problem = L"one command at a time: " + arguments[0] + L" and " + argument + L" cannot go together";
      return;
    } else if (IsSwitch(argument, L"/entryid")) {
      request.problem = argument + L" goes only with /export";
      return;
    } else if (argument.starts_with(L"/") || argument.starts_with(L"-")) {
      request.problem = L"\"" + argument + L"\" is not understood";
      return;
    } else {
      request.problem = L"\"" + argument + L"\" is one argument too many: a command takes one path";
      return;
    }
  }
}

}  // namespace

std::optional<CommandLineRequest> ParseCommandLine(const std::vector<std::wstring>& arguments) {
  if (arguments.empty()) return std::nullopt;
  CommandLineRequest request;
  if (std::ranges::any_of(arguments, [](const std::wstring& argument) { return IsHelpSwitch(argument); })) {
    request.action = CommandLineRequest::Action::Help;
    return request;
  }
  const std::wstring& command = arguments.front();
  const bool export_command = IsSwitch(command, L"/export");
  if (!export_command && !IsSwitch(command, L"/import")) {
    request.problem = L"\"" + command + L"\" is not understood: the first argument is /export, /import or /?";
    return request;
  }
  if (arguments.size() < 2 || arguments[1].empty() || (arguments[1].front() == L'/' && arguments[1].size() > 1 &&
                                                       arguments[1].find(L'/', 1) == std::wstring::npos)) {
    request.problem = command + L" needs the path of a contact file";
    return request;
  }
  request.path = arguments[1];
  ReadOptions(arguments, request, export_command);
  if (request.problem.empty()) {
    request.action = export_command ? CommandLineRequest::Action::Export : CommandLineRequest::Action::Import;
  } else {
    request.entryIds.clear();
  }
  return request;
}

int RunCommandLine(const CommandLineRequest& request) {
  try {
    switch (request.action) {
      case CommandLineRequest::Action::Help:
        WriteLine(STD_OUTPUT_HANDLE, kUsage);
        return kSucceeded;
      case CommandLineRequest::Action::Invalid:
        Complain(request.problem);
        WriteLine(STD_ERROR_HANDLE, kUsage);
        return kNotUnderstood;
      case CommandLineRequest::Action::Export:
      case CommandLineRequest::Action::Import: {
        UseLanguage(ReadLanguageBase());
        const OleApartment ole;
        return request.action == CommandLineRequest::Action::Export ? Export(request) : Import(request);
      }
    }
  } catch (const std::exception& error) {
    const std::string_view message = error.what();
    Complain(std::wstring(message.begin(), message.end()));
  }
  return kFailed;
}

}  // namespace quillmere
