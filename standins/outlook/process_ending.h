// Ending processes the way a crash ends them, for tests of what clients do
// when Outlook goes away.
#pragma once

#include <windows.h>

namespace outlook_standin {

// Terminates process `id` and waits until it has gone; nothing when it has
// gone already. Throws _com_error when it cannot be ended.
void EndProcess(DWORD id);

// Makes COM forget the class registrations of servers that died. Windows'
// service control manager notices a dead server by itself; Wine 8's RPCSS
// keeps handing out its registration, so that no new server would ever be
// started. Under Wine this ends RPCSS, which COM restarts, empty, on the next
// activation; elsewhere it does nothing.
void ForgetDeadServers();

}  // namespace outlook_standin
