// CDataHandler: the store's IReplObjHandler. A packet is one contact record of
// CONTACT_RECORD_SIZE bytes, in both directions: GetPacket reads a contact into
// it, SetPacket writes one into a new or known contact, DeleteObj deletes a
// contact on the device's behalf.
//
// The handler lives exactly as long as its store and counts no references.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>

#include "contact_record.h"
#include "service_manager_contract.h"

namespace pelloquin {

class CStore;
class CItem;

class CDataHandler final : public IReplObjHandler {
 public:
  explicit CDataHandler(CStore& store) : m_pStore(&store) {}
  CDataHandler(const CDataHandler&) = delete;
  CDataHandler& operator=(const CDataHandler&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // Remembers the setup record of its direction (not a copy: hItem is read
  // and written through it later).
  STDMETHODIMP Setup(REPLSETUP* pSetup) override;
  STDMETHODIMP Reset(REPLSETUP* pSetup) override;
  STDMETHODIMP GetPacket(LPBYTE* lppbData, DWORD* pcbData, DWORD cbRecommend) override;
  STDMETHODIMP SetPacket(LPBYTE lpbData, DWORD cbData) override;
  STDMETHODIMP DeleteObj(REPLSETUP* pSetup) override;

 private:
  // A new contact from `record`, its EntryID and time recorded in `item`.
  // Once Outlook has saved it, it is either reported (no exception) or
  // deleted again before the failure is raised.
  void WriteNewContact(CItem& item, const contact_core::ContactRecord& record);
  // Writes `record` over the contact `item` names; E_UNEXPECTED when there is
  // none. Once Outlook has saved it, the answer is S_OK.
  HRESULT WriteKnownContact(CItem& item, const contact_core::ContactRecord& record);

  CStore* m_pStore;
  REPLSETUP* m_pWriteSetup = nullptr;
  REPLSETUP* m_pReadSetup = nullptr;
  // Reused by the next GetPacket: the service manager consumes a packet
  // before it asks for the next.
  std::array<std::byte, contact_core::CONTACT_RECORD_SIZE> m_Packet{};
};

}  // namespace pelloquin
