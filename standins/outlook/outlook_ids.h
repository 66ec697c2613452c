// Outlook's published class and interface identifiers that the stand-in answers.
#pragma once

#include <windows.h>

namespace outlook_standin {

inline constexpr GUID kApplicationClassId{0x0006F03A, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GUID kApplicationInterfaceId{0x00063001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GUID kNameSpaceInterfaceId{0x00063002, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GUID kFolderInterfaceId{0x00063006, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GUID kItemsInterfaceId{0x00063041, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GUID kContactItemInterfaceId{0x00063021, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr GUID kDistListItemInterfaceId{0x00063081, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

inline constexpr wchar_t kApplicationProgId[] = L"Outlook.Application";

// The stand-in's own: the private control class that the local server serves
// beside the application, and its type library.
inline constexpr GUID kControlClassId{0x0d5f74cd, 0xa79f, 0x4453, {0xb1, 0x98, 0x55, 0xbf, 0x0b, 0xef, 0x74, 0x98}};
inline constexpr wchar_t kControlProgId[] = L"OutlookStandin.Control";
inline constexpr GUID kTypeLibraryId{0xea882dbf, 0x87c5, 0x43ac, {0xa0, 0x70, 0x9b, 0x0a, 0xb8, 0xe5, 0x66, 0x71}};

}  // namespace outlook_standin
