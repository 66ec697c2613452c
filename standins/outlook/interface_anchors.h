// Keeps every interface the local server hands out registered with COM's RPC
// layer for as long as the server runs.
//
// Wine's COM removes an interface's RPC registration when the last object
// marshaled with that interface is released, and waits for every call on that
// interface to finish first. That wait runs in the releasing call, on this
// single-threaded apartment; a call on the same interface that is already
// queued for the apartment then waits for the apartment, which waits for it,
// and the server answers no client again (seen as RemRelease stuck in
// RpcServerUnregisterIf). An object of every such interface, held in COM's
// marshaling table until the server ends, means no registration ever drops
// to none while clients are served. Windows needs none of this, and is none
// the worse for it.
#pragma once

#include <windows.h>

#include "com_pointers.h"

#include <initializer_list>
#include <memory>
#include <vector>

namespace outlook_standin {

class InterfaceAnchors {
 public:
  // Marshals the anchors table-strong; COM must be initialised on the thread.
  // Throws _com_error when one cannot be marshaled.
  InterfaceAnchors();
  // Disconnecting them at the end releases their registrations without
  // waiting.
  InterfaceAnchors(const InterfaceAnchors&) = delete;
  InterfaceAnchors& operator=(const InterfaceAnchors&) = delete;

 private:
  struct Disconnect {
    void operator()(IUnknown* object) const;
  };
  using AnchoredObject = std::unique_ptr<IUnknown, Disconnect>;

  // Takes a reference to `object` and marshals it as each interface.
  void Anchor(IUnknown* object, std::initializer_list<const IID*> interfaceIds);

  std::vector<AnchoredObject> anchored_;
};

}  // namespace outlook_standin
