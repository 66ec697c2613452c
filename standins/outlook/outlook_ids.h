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

}  // namespace outlook_standin
