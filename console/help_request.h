// Every console program answers --help and /? with its usage, wherever the
// word stands on its command line, and then does nothing else.
#pragma once

#include <algorithm>
#include <string_view>

namespace console {

inline bool IsHelpRequest(std::wstring_view argument) { return argument == L"--help" || argument == L"/?"; }
inline bool IsHelpRequest(std::string_view argument) { return argument == "--help" || argument == "/?"; }

// Whether any of `arguments` (wide or narrow strings) asks for the usage.
template <typename Arguments>
bool AsksForHelp(const Arguments& arguments) {
  return std::ranges::any_of(arguments, [](const auto& argument) { return IsHelpRequest(argument); });
}

}  // namespace console
