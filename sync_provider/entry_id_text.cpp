#include "entry_id_text.h"

#include <windows.h>

namespace pelloquin {

namespace {

std::string ToAnsi(std::wstring_view text) {
  if (text.empty()) return {};
  const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string converted(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), converted.data(), length, nullptr,
                      nullptr);
  return converted;
}

std::wstring FromAnsi(std::string_view text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring converted(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), converted.data(), length);
  return converted;
}

}  // namespace

SharedEntryId EntryIdFromOutlook(const _bstr_t& text) {
  const wchar_t* units = text;
  std::wstring wide = units == nullptr ? std::wstring() : std::wstring(units, text.length());
  std::string ansi = ToAnsi(wide);
  return std::make_shared<const EntryIdText>(EntryIdText{std::move(wide), std::move(ansi)});
}

SharedEntryId EntryIdFromAnsi(std::string_view text) {
  return std::make_shared<const EntryIdText>(EntryIdText{FromAnsi(text), std::string(text)});
}

_bstr_t EntryIdForLookup(const SharedEntryId& entry_id) {
  const std::wstring_view wide = WideOf(entry_id);
  BSTR copy = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (copy == nullptr) _com_issue_error(E_OUTOFMEMORY);
  return _bstr_t(copy, false);
}

std::wstring_view WideOf(const SharedEntryId& entry_id) {
  return entry_id ? std::wstring_view(entry_id->wide) : std::wstring_view();
}

std::string_view AnsiOf(const SharedEntryId& entry_id) {
  return entry_id ? std::string_view(entry_id->ansi) : std::string_view();
}

}  // namespace pelloquin
