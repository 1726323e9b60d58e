// The files a run writes on request — the trace, the audio capture and the
// screenshots — shared by the backends: each streams to its file through
// OutputFile, and every failure is told once on standard error, as
// "<program>: nao consigo gravar <file>: <reason>".
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "host/audio.h"
#include "host/common/output_file.h"
#include "host/common/wav_writer.h"

namespace host::common {

class Canvas;

// Exit code of a run whose output could not be written.
constexpr int exit_output_failed = 4;

// One trace line as every backend writes it: the time in ms, the event word
// and, when there are any, its arguments (Windows-1252, shown as UTF-8).
std::string trace_line_text(uint64_t time_ms, std::string_view word, std::string_view args);

class RunOutputs {
public:
    explicit RunOutputs(std::string program_name) : program_(std::move(program_name)) {}

    // Each opener returns false (and reports) when the file cannot be
    // created; an empty path asks for nothing and succeeds.
    bool open_trace(const std::string& path);
    bool open_capture(const std::string& path);

    bool tracing() const { return trace_.is_open(); }
    // One trace line; the newline is added. Flushed at once when
    // `flush_each` (the desktop, where a run may be watched as it goes).
    void trace_line(std::string_view line, bool flush_each = false);
    // One event of a run in real time, formatted by trace_line_text and
    // flushed at once; nothing without a trace file.
    void trace_event(uint64_t time_ms, std::string_view word, std::string_view args);
    // Ends a run in real time: traces `exit` with the code the process
    // really ends with (exit_output_failed when an output failed, before or
    // while completing them), completes the outputs and exits.
    [[noreturn]] void exit_run(int code, uint64_t time_ms);

    bool capturing() const { return capture_.is_open(); }
    WavFileWriter& capture() { return capture_; }

    // Writes the canvas as a PNG file now; false (reported) on failure.
    bool save_screenshot(const Canvas& canvas, const std::string& path);

    // Completes the capture (with `require_samples`, an empty capture is
    // refused, see WavFileWriter::finish). False when any output of the run
    // failed so far. Idempotent.
    bool finish_capture(bool require_samples = false);
    // Completes the capture, then the trace, and checks standard output.
    // False when any output of the run failed. Idempotent.
    bool finish();
    // Removes every file begun, for a run that does not go ahead.
    void abandon();
    bool failed() const { return failed_; }

    // Reports one failed output on standard error.
    void report(const std::string& error);

private:
    std::string program_;
    OutputFile trace_;
    WavFileWriter capture_;
    bool failed_ = false;
    bool capture_finished_ = false;
    bool finished_ = false;
};

}  // namespace host::common
