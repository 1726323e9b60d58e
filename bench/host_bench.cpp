// The empty-queue pump and "is a key waiting" test: polled in tight loops by
// the key reader and every sound wait, so it must stay far below a microsecond.
#include <benchmark/benchmark.h>

#include "host/headless/headless_backend.h"

namespace {

void BM_EmptyQueuePeek(benchmark::State& state) {
    host::headless::HeadlessOptions options;
    options.trace_to_stdout = false;
    host::headless::HeadlessBackend backend(options);
    host::MessageQueue& queue = backend.host().messages;
    host::Message message;
    for (auto _ : state) {
        bool any = false;
        while (queue.peek_message(message)) any = true;
        benchmark::DoNotOptimize(any);
    }
}
BENCHMARK(BM_EmptyQueuePeek);

}  // namespace
