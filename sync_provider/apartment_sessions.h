// The store's Outlook sessions, one per COM apartment that calls the store.
// Outlook is a local server, and a proxy into it answers only in the
// apartment that made it (RPC_E_WRONG_THREAD elsewhere), while the service
// manager may call a store from several threads. So each apartment reaches
// Outlook through a session of its own, and the store's one walk moves to
// the apartment that goes on with it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "outlook_session.h"

namespace pelloquin {

class ApartmentSessions {
 public:
  ApartmentSessions() = default;
  ApartmentSessions(const ApartmentSessions&) = delete;
  ApartmentSessions& operator=(const ApartmentSessions&) = delete;

  // The calling apartment's session, made on first use, with the walk
  // brought over from the session that moved it last. The caller holds the
  // store lock, which serialises every use of every session.
  contact_core::OutlookSession& Current();

 private:
  static std::uintptr_t CallingApartment();

  std::map<std::uintptr_t, std::unique_ptr<contact_core::OutlookSession>> sessions_;
  contact_core::OutlookSession* walker_ = nullptr;
};

}  // namespace pelloquin
