// The converter's command line:
//
//   contact-convert INPUT OUTPUT [--vcard-version 3.0|4.0] [--quiet]
//   contact-convert --help      (or /?)
//
// The format of each file follows its extension: .fs, .vcf (or .vcard), .csv.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "vcard_writer.h"

namespace contact_convert {

enum class FileFormat { ContactFile, VCard, OutlookCsv };

struct Arguments {
  std::filesystem::path input;
  std::filesystem::path output;
  FileFormat inputFormat = FileFormat::ContactFile;
  FileFormat outputFormat = FileFormat::ContactFile;
  contact_core::VCardVersion vcardVersion = contact_core::VCardVersion::V3;
  bool quiet = false;  // no progress line
  bool help = false;   // print the usage, do nothing else
};

// Arguments the converter cannot understand; what() says which.
class UsageError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

inline constexpr const char* kUsage =
    "usage: contact-convert INPUT OUTPUT [--vcard-version 3.0|4.0] [--quiet]\n"
    "       contact-convert --help\n"
    "  formats follow the extensions: .fs (Quillmere contact file), .vcf, .csv (Outlook's layout)\n"
    "  a .fs output is appended to; a .vcf or .csv output is replaced\n"
    "  --quiet: no progress line (there is none either when standard error is not a terminal)\n"
    "  exit status: 0 converted, 1 failed (the reason is on standard error), 2 arguments not understood\n";

// `words` are the arguments after the program's name, UTF-8 encoded.
Arguments ParseArguments(const std::vector<std::string>& words);

std::string FormatName(FileFormat format);

}  // namespace contact_convert
