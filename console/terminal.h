// Whether a program's standard error reaches a person at a terminal, rather
// than a file or a pipe: progress lines (progress_line.h) are drawn only there.
#pragma once

namespace console {

bool StandardErrorIsTerminal();

}  // namespace console
