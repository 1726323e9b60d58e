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
    // See BackendOptions::folders and volume_percent.
    std::optional<ConfigFolders> folders;
    int volume_percent = 100;
};

class HeadlessBackend : public Backend {
public:
    explicit HeadlessBackend(HeadlessOptions options);
    ~HeadlessBackend() override;
    Host& host() override;

    // Appends steps to the script (same language as HeadlessOptions::script).
    // Returns false and leaves the script unchanged when a step is malformed.
    bool add_script(std::string_view steps, std::string* error = nullptr);

    // Everything traced so far, one entry per line without the newline.
    const std::vector<std::string>& trace_lines() const;
    // The trace lines from index `from`, without their time stamps.
    std::vector<std::string> events(size_t from = 0) const;
    uint64_t now_ms() const;

    // Audio sent to the wave-out device, in the first format opened.
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
