#include "apartment_sessions.h"

#include <objbase.h>

namespace pelloquin {

// A single-threaded apartment is its thread; the process has one
// multithreaded apartment, which a thread without COM joins implicitly.
std::uintptr_t ApartmentSessions::CallingApartment() {
  APTTYPE type = APTTYPE_MTA;
  APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
  if (SUCCEEDED(CoGetApartmentType(&type, &qualifier)) && (type == APTTYPE_STA || type == APTTYPE_MAINSTA)) {
    return GetCurrentThreadId();
  }
  return 0;
}

contact_core::OutlookSession& ApartmentSessions::Current() {
  auto& session = sessions_[CallingApartment()];
  if (!session) session = std::make_unique<contact_core::OutlookSession>();
  if (walker_ != nullptr && walker_ != session.get()) session->ContinueWalkFrom(walker_->Place());
  walker_ = session.get();
  return *session;
}

}  // namespace pelloquin
