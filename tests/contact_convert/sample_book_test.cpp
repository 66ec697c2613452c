#include <gtest/gtest.h>

#include <sstream>

#include "contact_file_bytes.h"
#include "converter.h"
#include "file_commands.h"
#include "outlook_test_environment.h"
#include "quillmere_session.h"
#include "system_files.h"
#include "temp_folder.h"
#include "utf8_text.h"

namespace {

using contact_core::ContactRecord;
using quillmere::testing::TempFolder;

std::string Utf8(const std::filesystem::path& path) {
  std::string text;
  contact_core::AppendUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(path.c_str()), path.native().size()), text);
  return text;
}

std::vector<ContactRecord> RecordsIn(const std::filesystem::path& path) {
  const auto bytes = quillmere::testing::ReadWholeFile(path);
  std::vector<ContactRecord> records;
  for (std::int32_t i = 0; i < quillmere::testing::RecordCountOf(bytes); ++i) {
    records.push_back(quillmere::testing::RecordAt(bytes, static_cast<std::size_t>(i)));
  }
  return records;
}

class SampleBook : public test_support::OutlookTest {
 protected:
  int Convert(const std::vector<std::string>& words) {
    contact_convert::SystemFiles files;
    std::ostringstream out, err;
    const int code = contact_convert::RunConverter(words, files, out, err);
    output_ = out.str() + err.str();
    return code;
  }

  TempFolder folder_{L"convert"};
  std::string output_;
};

TEST_F(SampleBook, ComesBackWholeThroughVCardAndCsv) {
  Seed(outlook_standin::SampleAddressBook());
  const auto book = folder_ / L"book.fs";
  {
    quillmere::QuillmereSession session;
    ASSERT_TRUE(quillmere::ExportContactsToFile(session, book.wstring(), [](std::wstring_view) { return true; }));
  }
  const auto exported = RecordsIn(book);
  ASSERT_GT(exported.size(), 30u);

  const std::vector<std::vector<std::wstring>> routes = {
      {L"book3.vcf", L"from3.fs"}, {L"book4.vcf", L"from4.fs"}, {L"book.csv", L"fromcsv.fs"}};
  for (const auto& route : routes) {
    auto from = book;
    for (const std::wstring& name : route) {
      std::vector<std::string> words{Utf8(from), Utf8(folder_ / name)};
      if (name == L"book4.vcf") words.insert(words.end(), {"--vcard-version", "4.0"});
      ASSERT_EQ(Convert(words), contact_convert::kExitDone) << output_;
      EXPECT_EQ(output_.find("cut to fit"), std::string::npos) << output_;
      EXPECT_EQ(output_.find("skipped"), std::string::npos) << output_;
      from = folder_ / name;
    }
    EXPECT_EQ(RecordsIn(from), exported) << Utf8(from);
  }
}

}  // namespace
