#include "entry_id_text.h"

#include "ansi_text.h"

namespace pelloquin {

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
