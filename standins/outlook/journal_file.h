// The store file on disk, which other processes may use at the same time:
// every operation runs under a named mutex derived from the file's path,
// catches up with entries other processes appended, then appends its own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "folder_state.h"
#include "journal_format.h"
#include "unique_handle.h"

namespace outlook_standin {

class JournalFile {
 public:
  explicit JournalFile(std::filesystem::path file);
  // Makes the next session read the whole file again.
  void ForgetWhatWasRead() {
    generation_.reset();
    validEnd_ = fileEnd_ = 0;
  }

  // One operation on the file. Opening it takes the cross-process lock and
  // brings `folder` up to date: entries appended since the last session are
  // applied; a file rewritten meanwhile (new generation, or shorter than
  // what was read) is read again from the start; a missing or empty file
  // becomes an empty store.
  class Session {
   public:
    Session(JournalFile& journal, FolderState& folder);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session();

    // Appends one encoded entry after the last valid one (a torn or corrupt
    // tail left by a crashed writer is cut off first).
    void Append(const std::vector<std::uint8_t>& entry);
    // Replaces the whole file, atomically, by one holding exactly `folder`
    // under a new generation.
    void Rewrite(const FolderState& folder);
    // Bytes of the file that the folder reflects.
    std::uint64_t Size() const { return journal_.validEnd_; }

   private:
    void CatchUp(FolderState& folder);
    UniqueHandle OpenStoreFile() const;

    JournalFile& journal_;
    UniqueHandle file_;
  };

 private:
  std::filesystem::path file_;
  UniqueHandle lock_;  // named mutex, shared with other processes using the file
  std::optional<journal::Generation> generation_;
  std::uint64_t validEnd_ = 0;  // end of the last entry applied
  std::uint64_t fileEnd_ = 0;   // size of the file as last seen
};

}  // namespace outlook_standin
