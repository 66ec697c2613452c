// A failure that ends the host's work, told in words a person can act on.
#pragma once

#include <stdexcept>

namespace sync_host {

class HostError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace sync_host
