#include "command_line.h"

#include <windows.h>

#include <algorithm>
#include <exception>

#include "console_output.h"
#include "file_commands.h"
#include "language.h"
#include "ole_apartment.h"
#include "quillmere_session.h"

namespace quillmere {

namespace {

constexpr int kSucceeded = 0;
constexpr int kFailed = 1;
constexpr int kNotUnderstood = 2;

constexpr std::wstring_view kUsage =
    L"Usage:\r\n"
    L"  Quillmere.exe /export <path> [/entryid <id>]...\r\n"
    L"      Writes Outlook's contacts to the contact file <path>, appending to it when it\r\n"
    L"      exists: all contacts, or only those whose EntryID is given.\r\n"
    L"  Quillmere.exe /import <path>\r\n"
    L"      Creates a new Outlook contact for every record of the contact file <path>.\r\n"
    L"  Quillmere.exe /?\r\n"
    L"      Shows this text.\r\n"
    L"Without arguments, Quillmere opens its window.";

bool IsSwitch(const std::wstring& argument, std::wstring_view name) {
  return CompareStringOrdinal(argument.c_str(), static_cast<int>(argument.size()), name.data(),
                              static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

std::wstring FullPath(const std::wstring& path) {
  const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring full(length, L'\0');
  full.resize(GetFullPathNameW(path.c_str(), length, full.data(), nullptr));
  return full;
}

// The folder the file goes in, made the way the export button makes its
// drive folder; whether that worked shows when the file is opened.
void CreateParentFolder(const std::wstring& path) {
  const auto separator = path.find_last_of(L"\\/");
  if (separator != std::wstring::npos) CreateDirectoryW(path.substr(0, separator).c_str(), nullptr);
}

int Export(const CommandLineRequest& request) {
  const std::wstring path = FullPath(request.path);
  CreateParentFolder(path);
  QuillmereSession session;
  const auto chosen = [&request](std::wstring_view entry_id) {
    return request.entryIds.empty() ||
           std::find(request.entryIds.begin(), request.entryIds.end(), entry_id) != request.entryIds.end();
  };
  const bool exported = ExportContactsToFile(session, path, chosen);
  WriteLine(STD_OUTPUT_HANDLE, ExportResultText(exported, path));
  return exported ? kSucceeded : kFailed;
}

int Import(const CommandLineRequest& request) {
  QuillmereSession session;
  const bool imported = ImportContactsFromFile(session, FullPath(request.path));
  WriteLine(STD_OUTPUT_HANDLE, ImportResultText(imported));
  return imported ? kSucceeded : kFailed;
}

}  // namespace

std::optional<CommandLineRequest> ParseCommandLine(const std::vector<std::wstring>& arguments) {
  if (arguments.empty()) return std::nullopt;
  CommandLineRequest request;
  const std::wstring& command = arguments.front();
  if (arguments.size() == 1 && (IsSwitch(command, L"/?") || IsSwitch(command, L"-?"))) {
    request.action = CommandLineRequest::Action::Help;
    return request;
  }
  if (arguments.size() < 2) return request;
  if (IsSwitch(command, L"/import")) {
    if (arguments.size() == 2) request.action = CommandLineRequest::Action::Import;
    request.path = arguments[1];
    return request;
  }
  if (!IsSwitch(command, L"/export")) return request;
  request.path = arguments[1];
  for (std::size_t index = 2; index < arguments.size(); index += 2) {
    if (index + 1 >= arguments.size() || !IsSwitch(arguments[index], L"/entryid")) return request;
    request.entryIds.push_back(arguments[index + 1]);
  }
  request.action = CommandLineRequest::Action::Export;
  return request;
}

int RunCommandLine(const CommandLineRequest& request) {
  try {
    switch (request.action) {
      case CommandLineRequest::Action::Help:
        WriteLine(STD_OUTPUT_HANDLE, kUsage);
        return kSucceeded;
      case CommandLineRequest::Action::Invalid:
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
    WriteLine(STD_ERROR_HANDLE, std::wstring(message.begin(), message.end()));
  }
  return kFailed;
}

}  // namespace quillmere
