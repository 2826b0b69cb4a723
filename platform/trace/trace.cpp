#include "platform/trace/trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>

namespace halvorn {
namespace {

struct TraceState {
    std::mutex mutex;
    TraceSink sink;
    bool toStderr = [] {
        const char* env = std::getenv("HALVORN_TRACE");
        return env != nullptr && std::strcmp(env, "1") == 0;
    }();
};

TraceState& State() {
    static TraceState state;
    return state;
}

}  // namespace

void Trace(std::string_view text) {
    TraceState& state = State();
    std::lock_guard lock(state.mutex);
    if (state.sink) {
        state.sink(text);
    } else if (state.toStderr) {
        std::string line(text);
        if (line.empty() || line.back() != '\n') line.push_back('\n');
        std::fputs(line.c_str(), stderr);
    }
}

bool TraceEnabled() {
    TraceState& state = State();
    std::lock_guard lock(state.mutex);
    return state.sink || state.toStderr;
}

TraceSink SetTraceSink(TraceSink sink) {
    TraceState& state = State();
    std::lock_guard lock(state.mutex);
    return std::exchange(state.sink, std::move(sink));
}

}  // namespace halvorn
