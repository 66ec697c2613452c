// The class factory of the Outlook application class.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace outlook_standin {

// A new factory with one reference for the caller.
IClassFactory* NewApplicationFactory();

// Whether a client locked the server (IClassFactory::LockServer).
bool ServerLocked();

}  // namespace outlook_standin
