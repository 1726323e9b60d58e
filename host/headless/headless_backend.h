// The deterministic simulation backend: virtual clock, scripted input, trace,
// audio capture and screenshots. Used by `zimbalot --headless`, `falar -w` and
// the tests, which may build one in-process.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "host/audio.h"
#include "host/backend.h"
#include "host/host.h"

namespace host::headless {

// Thrown by exit_process when HeadlessOptions::exit_throws is set (tests only).
struct ProcessExit {
    int code;
};

struct HeadlessOptions {
    std::string script;
    // Trace destination: a file path, or the stream (stdout when both empty).
    std::string trace_path;
    std::ostream* trace_stream = nullptr;
    bool trace_to_stdout = true;
    uint32_t seed = 1;
    std::string capture_path;
    std::string screenshot_path;
    uint32_t idle_limit_ms = 30000;
    Rect work_area{0, 0, 1024, 734};
    int screen_width = 1024;
    int screen_height = 768;
    bool exit_throws = false;
    // Names the program in messages ("falar: ...").
    std::string program_name = "zimbalot";
    // The folder that relative output names (trace, capture, screenshot,
    // `shot FILE`) are resolved against: the one the user started in. Empty:
    // the current folder when the backend is built.
    std::string start_folder;
    // Keep every trace line and captured sample in memory too, for
    // trace_lines(), events() and captured_audio() (in-process users such as
    // the tests). The programs turn it off, so that a long run stays flat:
    // the trace and the capture then only stream to their files.
    bool keep_in_memory = true;
    // falar -w: a capture without a single sample is not written, and is
    // reported as a failed output.
    bool capture_requires_samples = false;
    // See BackendOptions::folders and volume_percent.
    std::optional<ConfigFolders> folders;
    int volume_percent = 100;
};

class HeadlessBackend : public Backend {
public:
    explicit HeadlessBackend(HeadlessOptions options);
    ~HeadlessBackend() override;
    Host& host() override;
    bool outputs_ready() const override;
    // The screenshot, the capture and the trace, as at the end of a run.
    bool finish_outputs() override;
    void discard_outputs() override;

    // Appends steps to the script (same language as HeadlessOptions::script).
    // Returns false and leaves the script unchanged when a step is malformed.
    bool add_script(std::string_view steps, std::string* error = nullptr);

    // Everything traced so far, one entry per line without the newline
    // (with keep_in_memory).
    const std::vector<std::string>& trace_lines() const;
    // The trace lines from index `from`, without their time stamps.
    std::vector<std::string> events(size_t from = 0) const;
    uint64_t now_ms() const;

    // Audio sent to the wave-out device, in the first format opened (with
    // keep_in_memory).
    const std::vector<uint8_t>& captured_audio() const;
    PcmFormat captured_format() const;

    // The client area as drawn so far.
    Rgb pixel(int x, int y) const;
    // Number of draw_text calls so far (text runs).
    uint64_t text_runs_drawn() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// Parses a script; returns false with a message for a malformed one.
bool check_script(std::string_view steps, std::string* error);

}  // namespace host::headless
