#include "standin_lock.h"

namespace outlook_standin {

StandinLock LockStandin() {
  static std::mutex mutex;
  return StandinLock(mutex);
}

}  // namespace outlook_standin
