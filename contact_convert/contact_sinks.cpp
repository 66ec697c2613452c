#include "contact_sinks.h"

#include <string>

#include "contact_file.h"
#include "contact_sources.h"
#include "outlook_csv_writer.h"
#include "vcard_writer.h"

namespace contact_convert {

namespace {

namespace contact_file = quillmere::contact_file;
using contact_core::ContactRecord;

class ContactFileSink final : public ContactSink {
 public:
  ContactFileSink(std::filesystem::path path, PlatformFiles& files) : path_(std::move(path)), files_(files) {}

  void Take(const ContactRecord& record) override {
    // Opened at the first contact: a run that reads none leaves no file behind.
    if (!file_) {
      file_ = files_.OpenToAppend(path_);
      if (!file_) throw ConversionFailure("cannot open " + Shown(path_) + " for writing");
    }
    const auto place = contact_file::PrepareAppend(*file_);
    if (!place) {
      throw ConversionFailure(Shown(path_) + (written_ == 0 ? " is not a contact file that can be added to"
                                                            : " cannot take another contact"));
    }
    if (!contact_file::CommitAppend(*file_, *place, record)) {
      throw ConversionFailure("writing to " + Shown(path_) + " failed; it holds the " + std::to_string(written_) +
                              " contacts written before");
    }
    ++written_;
  }

  void Finish() override {}

 private:
  std::filesystem::path path_;
  PlatformFiles& files_;
  std::unique_ptr<quillmere::FileAccess> file_;
  std::size_t written_ = 0;
};

// Collects the text and puts the file in place at the end.
class TextFileSink : public ContactSink {
 public:
  TextFileSink(std::filesystem::path path, PlatformFiles& files, std::string start)
      : text_(std::move(start)), path_(std::move(path)), files_(files) {}

  void Finish() override {
    auto [partial, file] = CreatePartial();
    const bool written = file->Write(std::as_bytes(std::span(text_)));
    file.reset();
    if (!written || !files_.ReplaceWith(partial, path_)) {
      std::error_code ignored;
      std::filesystem::remove(partial, ignored);
      throw ConversionFailure("cannot write " + Shown(path_) + "; it is left as it was");
    }
  }

 protected:
  std::string text_;

 private:
  std::pair<std::filesystem::path, std::unique_ptr<quillmere::FileAccess>> CreatePartial() {
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::filesystem::path partial = path_;
      partial += ".partial" + (attempt == 0 ? std::string() : std::to_string(attempt));
      if (auto file = files_.CreateNew(partial)) return {partial, std::move(file)};
    }
    throw ConversionFailure("cannot create a file beside " + Shown(path_) + " to write into");
  }

  std::filesystem::path path_;
  PlatformFiles& files_;
};

class VCardSink final : public TextFileSink {
 public:
  VCardSink(std::filesystem::path path, PlatformFiles& files, contact_core::VCardVersion version,
            contact_core::ConversionReport& report)
      : TextFileSink(std::move(path), files, {}), version_(version), report_(report) {}
  void Take(const ContactRecord& record) override { contact_core::AppendVCard(record, version_, text_, report_); }

 private:
  contact_core::VCardVersion version_;
  contact_core::ConversionReport& report_;
};

class OutlookCsvSink final : public TextFileSink {
 public:
  OutlookCsvSink(std::filesystem::path path, PlatformFiles& files, contact_core::ConversionReport& report)
      : TextFileSink(std::move(path), files, contact_core::OutlookCsvHeader()), report_(report) {}
  void Take(const ContactRecord& record) override { contact_core::AppendOutlookCsvRow(record, text_, report_); }

 private:
  contact_core::ConversionReport& report_;
};

}  // namespace

std::unique_ptr<ContactSink> SinkFor(const Arguments& arguments, PlatformFiles& files,
                                     contact_core::ConversionReport& report) {
  switch (arguments.outputFormat) {
    case FileFormat::ContactFile:
      return std::make_unique<ContactFileSink>(arguments.output, files);
    case FileFormat::VCard:
      return std::make_unique<VCardSink>(arguments.output, files, arguments.vcardVersion, report);
    case FileFormat::OutlookCsv:
      return std::make_unique<OutlookCsvSink>(arguments.output, files, report);
  }
  return nullptr;
}

}  // namespace contact_convert
