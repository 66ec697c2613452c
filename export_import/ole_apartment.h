// OLE (and with it COM, single-threaded apartment) for the calling thread,
// for as long as the object lives. The Outlook calls need it.
#pragma once

#include <ole2.h>

namespace quillmere {

class OleApartment {
 public:
  // Its outcome is kept only to undo it: without COM, Outlook simply cannot
  // be reached, which every command reports.
  OleApartment() : initialised_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleApartment() {
    if (initialised_) OleUninitialize();
  }
  OleApartment(const OleApartment&) = delete;
  OleApartment& operator=(const OleApartment&) = delete;

 private:
  bool initialised_;
};

}  // namespace quillmere
