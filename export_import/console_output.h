// Text output of the command-line mode. Quillmere is a windowed program, so
// it has no console of its own: it writes to the standard handles it
// inherited (a pipe, a file, or a console) or, when it has none, to the
// console of the process that started it.
#pragma once

#include <windows.h>

#include <string_view>

namespace quillmere {

// Writes `line` and a line break to standard output (STD_OUTPUT_HANDLE) or
// standard error (STD_ERROR_HANDLE): as UTF-16 to a console, as UTF-8 to a
// file or pipe. Writes nothing when there is nowhere to write.
void WriteLine(DWORD standard_handle, std::wstring_view line);
// The same without the line break, for a progress line.
void Write(DWORD standard_handle, std::wstring_view text);
// Whether that output reaches a console, where a person watches it.
bool IsConsole(DWORD standard_handle);

}  // namespace quillmere
