// Who owns a named mutex, asked without taking it.
#pragma once

#include <string>

namespace outlook_standin {

// True when the named mutex `name` exists and the calling thread owns it.
bool CallerOwnsNamedMutex(const std::wstring& name);
// True when the named mutex `name` exists and some thread, of any process,
// owns it.
bool SomeoneOwnsNamedMutex(const std::wstring& name);

}  // namespace outlook_standin
