// The class factory of the Outlook application class.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace outlook_standin {

// A new factory with one reference for the caller.
IClassFactory* NewApplicationFactory();

// Whether a client holds a factory or locked the server (LockServer).
bool FactoriesInUse();

}  // namespace outlook_standin
