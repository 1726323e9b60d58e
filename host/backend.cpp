#include "host/backend.h"

#include "host/headless/headless_backend.h"
#include "host/native.h"

namespace host {

std::unique_ptr<Backend> make_backend(const BackendOptions& options) {
    if (!options.headless) return native::make_desktop_backend(options);
    headless::HeadlessOptions h;
    h.script = options.script;
    h.trace_path = options.trace_path;
    h.seed = options.seed;
    h.capture_path = options.capture_path;
    h.screenshot_path = options.screenshot_path;
    h.idle_limit_ms = options.idle_limit_ms;
    h.program_name = options.program_name;
    h.start_folder = options.start_folder;
    // A program's run streams its trace and capture to their files only.
    h.keep_in_memory = false;
    h.folders = options.folders;
    h.volume_percent = options.volume_percent;
    return std::make_unique<headless::HeadlessBackend>(std::move(h));
}

}  // namespace host
