#pragma once

// Diagnostic traces: silent unless HALVORN_TRACE=1 (then to stderr), or
// captured by a sink that tests install.

#include <functional>
#include <string_view>

namespace halvorn {

void Trace(std::string_view text);

// Whether traces go anywhere: callers skip building costly trace texts when not.
bool TraceEnabled();

// Replaces where traces go; an empty sink restores the default. Returns the
// previous sink.
using TraceSink = std::function<void(std::string_view)>;
TraceSink SetTraceSink(TraceSink sink);

}  // namespace halvorn
