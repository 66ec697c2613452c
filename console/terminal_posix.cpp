#include <unistd.h>

#include "terminal.h"

namespace console {

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace console
