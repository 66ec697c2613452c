// The user-interface language: the language base read from the registry at
// start-up, the product name, and every text the program shows, loaded from
// the string table at the base plus the text's offset (resource.h).
#pragma once

#include <string>

namespace quillmere {

// The "Language" value under HKEY_LOCAL_MACHINE\SOFTWARE\Norvane\Quillmere:
// a 4-byte number of any registry type (shorter data has its missing high
// bytes zero), or 0 (English) when the key or value is missing or the value
// is longer than 4 bytes. Used as it is, even when it is not a known base.
int ReadLanguageBase();

// Fixes the language base and loads the product name at that base. Start-up
// calls it once; tests call it to switch languages.
void UseLanguage(int language_base);
int LanguageBase();
// Window title, message-box caption and name of the single-instance marker.
const std::wstring& ProductName();

// The text at `offset` in the current language, exactly as stored (trailing
// and doubled spaces included); empty when the table has no such text.
std::wstring LoadText(int offset);

}  // namespace quillmere
