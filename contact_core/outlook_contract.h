// Identifiers of Outlook's object model as the contact core reaches it: the
// application class and the five dual interfaces. Every call goes through
// IDispatch by name after a QueryInterface for one of these interfaces, which
// needs no vendor header or type library and works with every Outlook version.
#pragma once

#include <windows.h>

namespace contact_core::outlook {

inline constexpr CLSID CLSID_Application = {0x0006F03A, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_Application = {0x00063001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_NameSpace = {0x00063002, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_MAPIFolder = {0x00063006, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_Items = {0x00063041, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_ContactItem = {0x00063021, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// OlDefaultFolders.olFolderContacts
inline constexpr long olFolderContacts = 10;

// What the store answers, through Outlook, for an EntryID that names no item.
inline constexpr HRESULT MAPI_E_NOT_FOUND = static_cast<HRESULT>(0x8004010F);
inline constexpr HRESULT MAPI_E_INVALID_ENTRYID = static_cast<HRESULT>(0x80040107);
inline constexpr HRESULT MAPI_E_OBJECT_DELETED = static_cast<HRESULT>(0x8004010A);

}  // namespace contact_core::outlook
