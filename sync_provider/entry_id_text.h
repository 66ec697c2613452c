// An EntryID as item handles keep it: immutable UTF-16 text shared between
// handles by reference count, with its 8-bit (system ANSI code page) copy made
// together with it, so no thread ever writes a text that others can read.
#pragma once

#include "com_support.h"

#include <memory>
#include <string>
#include <string_view>

namespace pelloquin {

struct EntryIdText {
  std::wstring wide;
  std::string ansi;
};

// Null stands for a handle that has no EntryID yet.
using SharedEntryId = std::shared_ptr<const EntryIdText>;

SharedEntryId EntryIdFromOutlook(const _bstr_t& text);
SharedEntryId EntryIdFromAnsi(std::string_view text);

// The text to look the contact up with; empty for a null EntryID.
_bstr_t EntryIdForLookup(const SharedEntryId& entry_id);
std::wstring_view WideOf(const SharedEntryId& entry_id);
std::string_view AnsiOf(const SharedEntryId& entry_id);

}  // namespace pelloquin
