#include "command_arguments.h"

#include <algorithm>

#include "help_request.h"

namespace contact_convert {

namespace {

std::filesystem::path PathOf(const std::string& utf8) { return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())); }

FileFormat FormatOf(const std::filesystem::path& path) {
  std::u8string extension = path.extension().u8string();
  std::ranges::transform(extension, extension.begin(), [](char8_t c) { return c >= u8'A' && c <= u8'Z' ? c - u8'A' + u8'a' : c; });
  if (extension == u8".fs") return FileFormat::ContactFile;
  if (extension == u8".vcf" || extension == u8".vcard") return FileFormat::VCard;
  if (extension == u8".csv") return FileFormat::OutlookCsv;
  const std::u8string name = path.u8string();
  throw UsageError("cannot tell the format of \"" + std::string(name.begin(), name.end()) +
                   "\": name it .fs, .vcf or .csv");
}

}  // namespace

Arguments ParseArguments(const std::vector<std::string>& words) {
  std::vector<std::string> files;
  Arguments arguments;
  bool version_given = false;
  if (console::AsksForHelp(words)) {
    arguments.help = true;
    return arguments;
  }
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "--quiet") {
      if (arguments.quiet) throw UsageError("--quiet is given twice");
      arguments.quiet = true;
    } else if (words[i] == "--vcard-version") {
      if (version_given) throw UsageError("--vcard-version is given twice");
      if (i + 1 == words.size()) throw UsageError("--vcard-version needs 3.0 or 4.0");
      const std::string& version = words[++i];
      if (version != "3.0" && version != "4.0") throw UsageError("--vcard-version is 3.0 or 4.0, not \"" + version + "\"");
      arguments.vcardVersion = version == "4.0" ? contact_core::VCardVersion::V4 : contact_core::VCardVersion::V3;
      version_given = true;
    } else if (words[i].starts_with("-") && words[i] != "-") {
      throw UsageError("unknown option \"" + words[i] + "\"");
    } else {
      files.push_back(words[i]);
    }
  }
  if (files.size() > 2) throw UsageError("one input file and one output file: \"" + files[2] + "\" is one too many");
  if (files.size() != 2) throw UsageError("give one input file and one output file");
  arguments.input = PathOf(files[0]);
  arguments.output = PathOf(files[1]);
  arguments.inputFormat = FormatOf(arguments.input);
  arguments.outputFormat = FormatOf(arguments.output);
  if (version_given && arguments.outputFormat != FileFormat::VCard) {
    throw UsageError("--vcard-version applies only to a .vcf output");
  }
  return arguments;
}

std::string FormatName(FileFormat format) {
  switch (format) {
    case FileFormat::ContactFile:
      return "contact file";
    case FileFormat::VCard:
      return "vCard";
    case FileFormat::OutlookCsv:
      return "Outlook CSV";
  }
  return {};
}

}  // namespace contact_convert
