// The converter as a user runs it, over real files in a folder of its own.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "contact_file.h"
#include "contact_file_bytes.h"
#include "contact_samples.h"
#include "converter.h"
#include "system_files.h"

namespace {

namespace fs = std::filesystem;
using contact_core::ContactRecord;
using quillmere::testing::FileWithRecords;
using quillmere::testing::ReadWholeFile;
using quillmere::testing::WriteWholeFile;

class Converter : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("contact-convert-test-" + std::to_string(getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path In(const std::string& name) const { return folder_ / name; }

  int Run(std::vector<std::string> words) {
    contact_convert::SystemFiles files;
    std::ostringstream out, err;
    const int code = contact_convert::RunConverter(words, files, out, err);
    output_ = out.str();
    errors_ = err.str();
    return code;
  }

  std::vector<ContactRecord> RecordsIn(const fs::path& path) {
    const auto bytes = ReadWholeFile(path);
    std::vector<ContactRecord> records;
    for (std::size_t i = 0; i < static_cast<std::size_t>(quillmere::testing::RecordCountOf(bytes)); ++i) {
      records.push_back(quillmere::testing::RecordAt(bytes, i));
    }
    return records;
  }

  std::vector<std::string> FilesInFolder() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path folder_;
  std::string output_;
  std::string errors_;
};

TEST_F(Converter, ContactFilesComeBackExactlyThroughEveryFormat) {
  const auto records = contact_samples::Records();
  WriteWholeFile(In("book.fs"), FileWithRecords(records));
  struct Route {
    std::vector<std::string> through;  // file names after book.fs, the last one a contact file
    std::vector<std::string> options;
  };
  const Route routes[] = {
      {{"book3.vcf", "from3.fs"}, {}},
      {{"book4.vcf", "from4.fs"}, {"--vcard-version", "4.0"}},
      {{"book.csv", "fromcsv.fs"}, {}},
      {{"chain.csv", "chain.vcf", "chain.fs"}, {}},
  };
  for (const Route& route : routes) {
    std::string from = In("book.fs");
    for (const std::string& name : route.through) {
      std::vector<std::string> words{from, In(name)};
      if (name.ends_with(".vcf")) words.insert(words.end(), route.options.begin(), route.options.end());
      ASSERT_EQ(Run(words), contact_convert::kExitDone) << name << ": " << errors_;
      from = In(name);
    }
    EXPECT_EQ(RecordsIn(from), records) << route.through.back();
  }
  EXPECT_NE(output_.find("Read 11 contacts from"), std::string::npos) << output_;
  EXPECT_NE(output_.find("Added 11 contacts to"), std::string::npos) << output_;
}

TEST_F(Converter, AppendsToAContactFileAsQuillmereDoes) {
  const auto records = contact_samples::Records();
  WriteWholeFile(In("book.fs"), FileWithRecords({records[0], records[1]}));
  WriteWholeFile(In("more.fs"), FileWithRecords({records[5]}));
  ASSERT_EQ(Run({In("book.fs"), In("more.fs")}), contact_convert::kExitDone) << errors_;
  EXPECT_EQ(RecordsIn(In("more.fs")), (std::vector<ContactRecord>{records[5], records[0], records[1]}));
}

TEST_F(Converter, TellsWhatHadNoField) {
  std::ofstream(In("in.vcf"), std::ios::binary) << "BEGIN:VCARD\r\nN:Berg;Ada;;;\r\nPHOTO:x\r\nBDAY:2000-01-01\r\nPHOTO:y\r\nEND:VCARD\r\n";
  ASSERT_EQ(Run({In("in.vcf"), In("out.csv")}), contact_convert::kExitDone) << errors_;
  EXPECT_NE(output_.find("Read 1 contact from"), std::string::npos) << output_;
  EXPECT_NE(output_.find("Wrote 1 contact to"), std::string::npos) << output_;
  EXPECT_NE(output_.find("skipped (no field for it): BDAY x1"), std::string::npos) << output_;
  EXPECT_NE(output_.find("skipped (no field for it): PHOTO x2"), std::string::npos) << output_;
}

TEST_F(Converter, ArgumentsItCannotUnderstand) {
  WriteWholeFile(In("book.fs"), FileWithRecords(contact_samples::Records()));
  const std::vector<std::vector<std::string>> cases = {
      {},
      {In("book.fs")},
      {In("book.fs"), In("a.vcf"), In("b.vcf")},
      {In("book.fs"), In("book.txt")},
      {In("book.fs"), In("book")},
      {In("book.fs"), In("a.vcf"), "--vcard-version", "2.1"},
      {In("book.fs"), In("a.vcf"), "--vcard-version"},
      {In("book.fs"), In("a.csv"), "--vcard-version", "4.0"},
      {In("book.fs"), In("a.vcf"), "--verbose"},
      {In("book.fs"), (folder_ / "." / "book.fs").string()},
  };
  for (const auto& words : cases) {
    EXPECT_EQ(Run(words), contact_convert::kExitUsage) << ::testing::PrintToString(words);
    EXPECT_NE(errors_.find("usage: contact-convert INPUT OUTPUT"), std::string::npos);
  }
  // The argument that was not understood is named.
  const struct {
    std::vector<std::string> words;
    std::string named;
  } named[] = {
      {{In("book.fs"), In("a.vcf"), "--verbose"}, "\"--verbose\""},
      {{In("book.fs"), In("a.vcf"), In("b.vcf")}, "\"" + In("b.vcf").string() + "\" is one too many"},
      {{In("book.fs"), In("a.vcf"), "--quiet", "--quiet"}, "--quiet is given twice"},
      {{In("book.fs"), In("a.vcf"), "--vcard-version", "3.0", "--vcard-version", "4.0"}, "--vcard-version is given twice"},
  };
  for (const auto& row : named) {
    EXPECT_EQ(Run(row.words), contact_convert::kExitUsage);
    EXPECT_NE(errors_.find(row.named), std::string::npos) << errors_;
  }
  EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"book.fs"});
}

TEST_F(Converter, HelpPrintsTheUsageAndChangesNothing) {
  WriteWholeFile(In("book.fs"), FileWithRecords(contact_samples::Records()));
  for (const std::vector<std::string>& words : {std::vector<std::string>{"--help"}, {"/?"}, {In("book.fs"), In("a.vcf"), "--help"}}) {
    EXPECT_EQ(Run(words), contact_convert::kExitDone);
    EXPECT_NE(output_.find("usage: contact-convert INPUT OUTPUT"), std::string::npos);
    EXPECT_NE(output_.find("exit status: 0 converted, 1 failed"), std::string::npos);
    EXPECT_EQ(errors_, "");
  }
  EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"book.fs"});
}

TEST_F(Converter, ProgressOnlyOnATerminalAndNotWhenQuiet) {
  WriteWholeFile(In("book.fs"), FileWithRecords(contact_samples::Records()));
  const auto run = [&](std::vector<std::string> words, bool terminal) {
    contact_convert::SystemFiles files;
    std::ostringstream out, err;
    EXPECT_EQ(contact_convert::RunConverter(words, files, out, err, terminal), contact_convert::kExitDone);
    return err.str();
  };
  EXPECT_NE(run({In("book.fs"), In("a.vcf")}, true).find("\rContacts converted: 1"), std::string::npos);
  EXPECT_EQ(run({In("book.fs"), In("b.vcf")}, false), "");
  EXPECT_EQ(run({In("book.fs"), In("c.vcf"), "--quiet"}, true), "");
}

TEST_F(Converter, AFailedRunLeavesNoHalfFile) {
  const auto records = contact_samples::Records();
  WriteWholeFile(In("book.fs"), FileWithRecords(records));
  auto truncated = FileWithRecords(records);
  truncated.resize(truncated.size() - 1);
  WriteWholeFile(In("truncated.fs"), truncated);
  WriteWholeFile(In("existing.vcf"), {std::byte{'k'}});
  std::ofstream(In("text.vcf"), std::ios::binary) << "no card here\n";
  std::ofstream(In("text.csv"), std::ios::binary) << "Name,Phone\n";
  fs::create_directory(In("folder.vcf"));
  const std::vector<std::string> before = FilesInFolder();
  struct Case {
    std::string input;
    std::string output;
  };
  const Case cases[] = {
      {In("missing.fs"), In("out.vcf")},
      {In("truncated.fs"), In("out.vcf")},
      {In("truncated.fs"), In("existing.vcf")},
      {In("text.vcf"), In("out.fs")},
      {In("text.csv"), In("out.fs")},
      {In("book.fs"), In("no-such-folder/out.vcf")},
      {In("book.fs"), In("truncated.fs")},
      {In("folder.vcf"), In("out.csv")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run({c.input, c.output}), contact_convert::kExitFailed) << c.input << " -> " << c.output << ": " << output_;
    EXPECT_EQ(output_, "") << "a failed run says everything on standard error";
    EXPECT_NE(errors_.find("Nothing was written: "), std::string::npos) << errors_;
    EXPECT_EQ(FilesInFolder(), before) << c.input << " -> " << c.output;
  }
  EXPECT_EQ(ReadWholeFile(In("existing.vcf")), quillmere::testing::Bytes{std::byte{'k'}});
  EXPECT_EQ(ReadWholeFile(In("truncated.fs")), truncated);
}

TEST_F(Converter, ReplacesAnExistingVCardOrCsvWhole) {
  WriteWholeFile(In("book.fs"), FileWithRecords({contact_samples::Records()[1]}));
  WriteWholeFile(In("out.csv"), quillmere::testing::Bytes(100000, std::byte{'x'}));
  ASSERT_EQ(Run({In("book.fs"), In("out.csv")}), contact_convert::kExitDone) << errors_;
  ASSERT_EQ(Run({In("out.csv"), In("back.fs")}), contact_convert::kExitDone) << errors_;
  EXPECT_EQ(RecordsIn(In("back.fs")), std::vector<ContactRecord>{contact_samples::Records()[1]});
  EXPECT_EQ(FilesInFolder(), (std::vector<std::string>{"back.fs", "book.fs", "out.csv"}));
}

TEST_F(Converter, NoContactsWritesNothing) {
  std::ofstream(In("empty.vcf"), std::ios::binary) << "";
  WriteWholeFile(In("empty.fs"), quillmere::testing::FileWithHeader(8, 0, 8));
  EXPECT_EQ(Run({In("empty.vcf"), In("out.fs")}), contact_convert::kExitDone);
  EXPECT_NE(output_.find("Nothing to write"), std::string::npos);
  EXPECT_EQ(Run({In("empty.fs"), In("out.csv")}), contact_convert::kExitDone);
  EXPECT_EQ(FilesInFolder(), (std::vector<std::string>{"empty.fs", "empty.vcf"}));
}

}  // namespace
