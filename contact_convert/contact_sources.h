// Reading the converter's input, whatever its format, one contact at a time.
#pragma once

#include <functional>
#include <stdexcept>

#include "command_arguments.h"
#include "contact_record.h"
#include "conversion_report.h"
#include "platform_files.h"

namespace contact_convert {

// A conversion that cannot go on; what() tells the user why.
class ConversionFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string Shown(const std::filesystem::path& path);

// Hands every contact of the input to `take`, in file order. Throws
// ConversionFailure when the file cannot be read or is not of its format.
void ReadContacts(const Arguments& arguments, PlatformFiles& files, contact_core::ConversionReport& report,
                  const std::function<void(const contact_core::ContactRecord&)>& take);

}  // namespace contact_convert
