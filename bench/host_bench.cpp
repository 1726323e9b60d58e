// The empty-queue pump and "is a key waiting" test: polled in tight loops by
// the key reader and every sound wait, so it must stay far below a microsecond.
#include <benchmark/benchmark.h>

#include "host/headless/headless_backend.h"
#include "textwindow/text_window.h"

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

namespace {

// key_pressed as the key reader and the sound waits call it: pump the empty
// queue of an existing window and answer whether a key waits.
void BM_KeyPressedEmptyQueue(benchmark::State& state) {
    host::headless::HeadlessOptions options;
    options.trace_to_stdout = false;
    host::headless::HeadlessBackend backend(options);
    textwindow::TextWindow window(backend.host(), "zimbalot");
    window.ensure_window();
    while (window.key_pressed()) window.read_key();
    for (auto _ : state) benchmark::DoNotOptimize(window.key_pressed());
}
BENCHMARK(BM_KeyPressedEmptyQueue);

}  // namespace
