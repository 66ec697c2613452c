#include "trace_hook.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace pelloquin {

namespace {
std::atomic<TraceObserver> g_observer{nullptr};
}

void Trace(const char* format, ...) {
  char text[256];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  TraceHook(text);
}

void TraceHook(const char* text) {
  if (const TraceObserver observer = g_observer.load()) observer(text);
}

void SetTraceObserver(TraceObserver observer) { g_observer.store(observer); }

}  // namespace pelloquin
