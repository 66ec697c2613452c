// One run of the converter: reads the input, writes the output, and tells
// what it did: contacts read and written, what had no field, what was cut.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform_files.h"

namespace contact_convert {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// `words` are the arguments after the program's name, UTF-8 encoded. Results
// go to `out`, failures to `err`, and a progress line to `err` when
// `errIsTerminal` and the words do not ask for quiet. Answers the exit code.
// Throws nothing.
int RunConverter(const std::vector<std::string>& words, PlatformFiles& files, std::ostream& out, std::ostream& err,
                 bool errIsTerminal = false);

}  // namespace contact_convert
