// Only one copy of Quillmere runs on a desktop. A named event, named after
// the product, marks that a copy runs; a second copy looks for the first
// one's main window by its title, brings it to the front and ends. The check
// is not atomic: two copies started at the same moment may both run.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <type_traits>

namespace quillmere {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using InstanceMarker = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// The marker this copy holds for as long as it runs, or nothing when another
// copy's window was found and brought to the front: this copy must end. When
// the marker exists but no window carries the title yet (the first copy is
// still starting), this copy runs and holds the existing marker.
std::optional<InstanceMarker> TakeInstanceMarker(const std::wstring& product_name);

}  // namespace quillmere
