// Text for the console programs: UTF-8 from Windows' UTF-16, and the
// system's own words for an error code.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace console_text {

std::string Utf8(std::wstring_view text);
std::string Utf8(std::u16string_view text);
std::string PathUtf8(const std::filesystem::path& path);
// Text in the system's 8-bit (ANSI) code page, as the sync interfaces carry it.
std::string AnsiToUtf8(std::string_view ansi);

// "The system cannot find the file specified. (0x80070002)" and the like.
std::string SystemErrorText(HRESULT result);
std::string Win32ErrorText(DWORD error);

// Console output is UTF-8, on a console and through a pipe alike.
void UseUtf8Output();

}  // namespace console_text
