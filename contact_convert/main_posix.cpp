// contact-convert, the converter built for Linux.
#include <iostream>

#include "converter.h"
#include "system_files.h"
#include "terminal.h"

int main(int argc, char** argv) {
  contact_convert::SystemFiles files;
  return contact_convert::RunConverter(std::vector<std::string>(argv + 1, argv + argc), files, std::cout, std::cerr,
                                       console::StandardErrorIsTerminal());
}
