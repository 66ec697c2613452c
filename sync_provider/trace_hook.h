// Tracing: operations format a fixed text naming themselves and hand it to
// TraceHook. By default the text is discarded; nothing reaches a file, a
// debugger or the user, and no result depends on it.
#pragma once

namespace pelloquin {

using TraceObserver = void (*)(const char* text);

// Formats printf-style (at most 255 characters) and hands the text to TraceHook.
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
void TraceHook(const char* text);

// Lets a diagnostic build or a test see the texts; nullptr discards them again.
void SetTraceObserver(TraceObserver observer);

}  // namespace pelloquin
