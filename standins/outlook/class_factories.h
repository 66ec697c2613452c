// The class factories the stand-in serves: Outlook's application class, and
// the private control class through which tests steer a stand-in that runs in
// another process.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace outlook_standin {

// New factories with one reference for the caller; null when out of memory.
IClassFactory* NewApplicationFactory();
IClassFactory* NewControlFactory();

// Whether a client holds a factory or locked the server (LockServer).
bool FactoriesInUse();
// Whether a client locked the server (LockServer) and has not unlocked it.
bool ServerLocked();

}  // namespace outlook_standin
