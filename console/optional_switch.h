// A command line that may hold one switch, at most once, and nothing else.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "console_text.h"

namespace console {

struct OptionalSwitch {
  bool given = false;
  // What the line gets wrong, naming the argument ("\"x\" is not understood",
  // "\"/all\" is given twice"); empty when nothing is wrong.
  std::string problem;
};

inline OptionalSwitch ReadOptionalSwitch(const std::vector<std::wstring_view>& arguments, std::wstring_view name) {
  OptionalSwitch read;
  for (const std::wstring_view argument : arguments) {
    if (argument != name || read.given) {
      read.problem = '"';
      read.problem += console_text::Utf8(argument);
      read.problem += argument == name ? "\" is given twice" : "\" is not understood";
      return read;
    }
    read.given = true;
  }
  return read;
}

}  // namespace console
