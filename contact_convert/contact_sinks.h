// Writing the converter's output, whatever its format, one contact at a time.
// A contact file is appended to as Quillmere appends, valid after each
// record; a vCard or CSV file is written beside its place and moved there
// once whole, so a failed run leaves no half file.
#pragma once

#include <memory>

#include "command_arguments.h"
#include "contact_record.h"
#include "conversion_report.h"
#include "platform_files.h"

namespace contact_convert {

class ContactSink {
 public:
  virtual ~ContactSink() = default;
  // Throws ConversionFailure when the contact cannot be written.
  virtual void Take(const contact_core::ContactRecord& record) = 0;
  // Called once after the last contact, when there was at least one.
  virtual void Finish() = 0;
};

std::unique_ptr<ContactSink> SinkFor(const Arguments& arguments, PlatformFiles& files,
                                     contact_core::ConversionReport& report);

}  // namespace contact_convert
