#include "converter.h"

#include <new>
#include <system_error>

#include "command_arguments.h"
#include "contact_sinks.h"
#include "contact_sources.h"
#include "progress_line.h"

namespace contact_convert {

namespace {

std::string Contacts(std::size_t count) { return std::to_string(count) + (count == 1 ? " contact" : " contacts"); }

void PrintReport(const contact_core::ConversionReport& report, std::ostream& out) {
  for (const std::string& line : report.Lines()) out << "  " << line << '\n';
}

int Convert(const Arguments& arguments, PlatformFiles& files, std::ostream& out, std::ostream& err,
            bool errIsTerminal) {
  contact_core::ConversionReport report;
  const std::string input = Shown(arguments.input) + " (" + FormatName(arguments.inputFormat) + ")";
  std::string output = Shown(arguments.output) + " (" + FormatName(arguments.outputFormat);
  if (arguments.outputFormat == FileFormat::VCard) output += arguments.vcardVersion == contact_core::VCardVersion::V4 ? " 4.0" : " 3.0";
  output += ")";
  std::size_t read = 0;
  std::size_t written = 0;
  console::ProgressLine progress([&err](std::string_view text) { err << text << std::flush; },
                                 errIsTerminal && !arguments.quiet);
  try {
    const auto sink = SinkFor(arguments, files, report);
    ReadContacts(arguments, files, report, [&](const contact_core::ContactRecord& record) {
      ++read;
      sink->Take(record);
      ++written;
      progress.Update("Contacts converted", written);
    });
    if (written > 0) sink->Finish();
    progress.Clear();
  } catch (const ConversionFailure& failure) {
    progress.Clear();
    // All of a failed run goes to standard error: what stopped it, and what
    // it did before.
    err << "contact-convert: " << failure.what() << '\n';
    err << "Read " << Contacts(read) << " from " << input << " before the failure.\n";
    if (arguments.outputFormat == FileFormat::ContactFile && written > 0) {
      err << "Added " << Contacts(written) << " to " << output << "; they stay there, and the file is valid.\n";
    } else {
      err << "Nothing was written: " << Shown(arguments.output) << " is as it was.\n";
    }
    PrintReport(report, err);
    return kExitFailed;
  }
  out << "Read " << Contacts(read) << " from " << input << ".\n";
  if (written == 0) {
    out << "Nothing to write: " << Shown(arguments.output) << " is left as it was.\n";
  } else {
    out << (arguments.outputFormat == FileFormat::ContactFile ? "Added " : "Wrote ") << Contacts(written) << " to "
        << output << ".\n";
  }
  PrintReport(report, out);
  return kExitDone;
}

}  // namespace

int RunConverter(const std::vector<std::string>& words, PlatformFiles& files, std::ostream& out, std::ostream& err,
                 bool errIsTerminal) {
  try {
    Arguments arguments;
    try {
      arguments = ParseArguments(words);
      if (arguments.help) {
        out << kUsage;
        return kExitDone;
      }
      std::error_code not_comparable;
      if (std::filesystem::equivalent(arguments.input, arguments.output, not_comparable)) {
        throw UsageError("the input and the output are the same file");
      }
    } catch (const UsageError& error) {
      err << "contact-convert: " << error.what() << '\n' << kUsage;
      return kExitUsage;
    }
    return Convert(arguments, files, out, err, errIsTerminal);
  } catch (const std::bad_alloc&) {
    err << "contact-convert: not enough memory\n";
  } catch (const std::exception& error) {
    err << "contact-convert: " << error.what() << '\n';
  }
  return kExitFailed;
}

}  // namespace contact_convert
