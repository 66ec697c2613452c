// Duplicate contacts: IsDuplicate asks whether a contact has an equal one
// further down the folder; RemoveDuplicates deletes every contact that has,
// so that of each group of equal contacts only the last in folder order stays.
#include <algorithm>
#include <unordered_set>
#include <utility>
#include <vector>

#include "com_boundary.h"
#include "contact_identity.h"
#include "outlook_dispatch.h"
#include "store.h"
#include "trace_hook.h"

namespace pelloquin {

namespace {

// Positions of the contacts that have an equal one after them, ascending.
std::vector<std::size_t> PositionsWithLaterEqual(std::vector<ContactIdentity> identities) {
  std::unordered_set<ContactIdentity, ContactIdentityHash> later;
  std::vector<std::size_t> positions;
  for (std::size_t position = identities.size(); position-- > 0;) {
    if (!later.insert(std::move(identities[position])).second) positions.push_back(position);
  }
  std::reverse(positions.begin(), positions.end());
  return positions;
}

}  // namespace

bool CStore::IsDuplicate(IDispatchPtr contact, long position) {
  if (!contact) return false;
  const long item_count = Session().GetContactCount();
  if (item_count != 0) {
    // A walk of its own over a collection of its own, so that the walk of the
    // store's session, which the caller may be in the middle of, stays put.
    contact_core::OutlookSession own_walk;
    own_walk.OpenContacts();
    if (!own_walk.HasOpenCollection()) _com_issue_error(E_FAIL);
    long counter = 0;
    for (IDispatchPtr other = own_walk.FirstContact(); other; other = own_walk.NextContact()) {
      if (counter > position && ContactsEqual(contact, other)) {
        Trace("CStore::IsDuplicate return true");
        return true;
      }
      if (++counter >= item_count) break;
    }
  }
  Trace("CStore::IsDuplicate return false");
  return false;
}

// One walk reads each contact's properties once; the contacts to delete are
// then known without comparing pairs through Outlook. Deleting them in folder
// order leaves what deleting the first contact that has a later equal one,
// over and over from the top, would leave.
STDMETHODIMP CStore::RemoveDuplicates(LPCSTR, UINT) {
  Trace("CStore::RemoveDuplicates");
  return GuardedCall([&] {
    const StoreLock lock(m_hMutex);
    if (!Session().HasOpenCollection()) OpenContacts();
    std::vector<IDispatchPtr> contacts;
    std::vector<ContactIdentity> identities;
    for (IDispatchPtr contact = Session().FirstContact(); contact; contact = Session().NextContact()) {
      identities.push_back(ContactIdentity::Read(contact));
      contacts.push_back(contact);
    }
    const std::vector<std::size_t> doomed = PositionsWithLaterEqual(std::move(identities));
    for (const std::size_t position : doomed) {
      contact_core::CallMethod(contacts[position], contact_core::ContactInterface(), "Delete");
    }
    if (!doomed.empty()) OpenContacts();
  });
}

}  // namespace pelloquin
