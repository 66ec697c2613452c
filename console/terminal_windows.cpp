#include <windows.h>

#include "terminal.h"

namespace console {

// A console answers GetConsoleMode; a file or a pipe does not.
bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
}

}  // namespace console
