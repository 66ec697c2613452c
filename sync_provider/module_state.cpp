#include "module_state.h"

LONG g_cObjects = 0;
LONG g_cLocks = 0;
HINSTANCE g_hInstance = nullptr;
