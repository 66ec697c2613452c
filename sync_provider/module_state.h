// Module-wide state of the provider library: what decides whether it may be
// unloaded, and the instance handle its resources are loaded from.
#pragma once

#include <windows.h>

// Live stores. Changed only by interlocked increment and decrement.
extern LONG g_cObjects;
// LockServer(TRUE) calls not yet undone by LockServer(FALSE). Interlocked.
extern LONG g_cLocks;
// This library's module handle; set when the library is loaded.
extern HINSTANCE g_hInstance;
