// The full path of a loaded module's file.
#pragma once

#include <windows.h>

#include <string>

namespace outlook_standin {

// The path of `module` (null: the program's executable); empty when Windows
// cannot tell.
std::wstring ModulePath(HMODULE module);

}  // namespace outlook_standin
