#include "host/headless/headless_backend.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <limits>

#include "host/common/output_file.h"
#include "host/common/run_outputs.h"
#include "host/common/volume.h"
#include "host/common/window_core.h"
#include "host/headless/script.h"
#include "host/native.h"
#include "host/riff.h"
#include "host/text.h"

namespace host::headless {

namespace {
constexpr uint64_t never = std::numeric_limits<uint64_t>::max();
}  // namespace

struct HeadlessBackend::Impl : MessageQueue,
                               Clock,
                               common::WindowPlatform,
                               WaveOut,
                               SoundPlayer,
                               Trace,
                               Process {
    explicit Impl(HeadlessOptions opts)
        : options(std::move(opts)),
          files(options.folders ? *options.folders : native::default_config_folders()),
          window(*this, *this, *this),
          host_bundle{*this, *this, window, *this, *this, files, registry, libraries, *this, *this},
          outputs(options.program_name) {
        if (options.start_folder.empty()) options.start_folder = files.current_directory();
        for (std::string* path :
             {&options.trace_path, &options.capture_path, &options.screenshot_path})
            *path = common::absolute_path(*path, options.start_folder);
        if (!options.trace_path.empty()) {
            outputs.open_trace(options.trace_path);
        } else if (options.trace_stream) {
            trace_out = options.trace_stream;
        } else if (options.trace_to_stdout) {
            trace_out = &std::cout;
        }
        outputs.open_capture(options.capture_path);
        std::string error;
        if (!options.screenshot_path.empty() &&
            !common::check_output(options.screenshot_path, &error))
            outputs.report(error);
    }

    // ---- state
    HeadlessOptions options;
    native::Files files;
    native::Registry registry;
    native::Libraries libraries;
    common::WindowCore window;
    Host host_bundle;

    uint64_t now = 0;
    std::deque<Message> queue;
    std::vector<Step> script;
    size_t script_next = 0;
    std::vector<Step> timed;  // `at N` steps, by time
    size_t timed_next = 0;
    uint64_t next_release = 0;
    uint64_t idle_ms = 0;
    int last_mouse_x = 0;
    int last_mouse_y = 0;

    std::vector<std::string> lines;
    std::ostream* trace_out = nullptr;
    common::RunOutputs outputs;

    bool window_shown = false;

    // wave-out
    bool wave_open_flag = false;
    PcmFormat wave_format;
    struct Pending {
        uint64_t done_at;
        uint32_t block_id;
    };
    std::deque<Pending> pending_blocks;
    uint64_t device_busy_until = 0;
    bool capture_started = false;
    PcmFormat capture_format;
    std::vector<uint8_t> capture;
    std::vector<uint8_t> converted;
    bool media_finished = false;
    bool looping = false;  // a memory image plays in a loop

    // ---- trace
    void event(std::string_view word, std::string_view args) override {
        std::string line = common::trace_line_text(now, word, args);
        if (outputs.tracing())
            outputs.trace_line(line);
        else if (trace_out)
            *trace_out << line << '\n';
        if (options.keep_in_memory) lines.push_back(std::move(line));
    }

    // ---- script delivery
    void consume_waits(uint64_t from) {
        while (script_next < script.size() && script[script_next].kind == Step::Kind::wait) {
            next_release = from + script[script_next].wait_ms;
            from = next_release;
            ++script_next;
        }
    }

    bool script_done() const { return script_next >= script.size(); }

    uint64_t step_due() const {
        if (script_done()) return never;
        return std::max(now, next_release);
    }

    // Delivers the head step at the current time.
    void deliver_step() {
        deliver(script[script_next++]);
        consume_waits(now);
    }

    uint64_t timed_due() const {
        return timed_next < timed.size() ? std::max(now, timed[timed_next].at_ms) : never;
    }

    // The `at N` steps due by the current time, as the system queue would
    // hold keys pressed while the program was busy.
    void deliver_timed() {
        while (timed_next < timed.size() && timed[timed_next].at_ms <= now)
            deliver(timed[timed_next++]);
    }

    void deliver(const Step& step) {
        if (step.kind == Step::Kind::screenshot) {
            outputs.save_screenshot(window.canvas(), step.path);
            event("shot", step.path);
        }
        for (Message m : step.messages) {
            if (m.kind == MessageKind::right_up && m.x < 0) {
                m.x = last_mouse_x;
                m.y = last_mouse_y;
            }
            if (m.kind == MessageKind::right_down || m.kind == MessageKind::mouse_move) {
                last_mouse_x = m.x;
                last_mouse_y = m.y;
            }
            queue.push_back(m);
        }
    }

    uint64_t audio_due() const {
        return pending_blocks.empty() ? never : pending_blocks.front().done_at;
    }

    void deliver_audio_until(uint64_t t) {
        while (!pending_blocks.empty() && pending_blocks.front().done_at <= t) {
            Message m;
            m.kind = MessageKind::wave_done;
            m.block_id = pending_blocks.front().block_id;
            pending_blocks.pop_front();
            queue.push_back(m);
        }
    }

    [[noreturn]] void script_end() {
        event("script-end", "");
        Impl::exit_process(3);
    }

    // ---- MessageQueue
    bool peek_message(Message& out) override {
        if (queue.empty()) return false;
        out = queue.front();
        queue.pop_front();
        return true;
    }

    // Lets the next scheduled event happen; false when nothing is scheduled.
    bool next_event() {
        // Steps that carry no message (a screenshot) are taken at once.
        while (!script_done() && script[script_next].kind == Step::Kind::screenshot &&
               step_due() <= now)
            deliver_step();
        const uint64_t a = audio_due();
        const uint64_t s = step_due();
        const uint64_t t = timed_due();
        if (a == never && s == never && t == never) return false;
        if (t < a && t <= s) {
            now = t;
            deliver_timed();
        } else if (a <= s) {
            now = std::max(now, a);
            deliver_audio_until(now);
        } else {
            now = s;
            deliver_step();
        }
        deliver_timed();
        idle_ms = 0;
        return true;
    }

    uint64_t spin_idle_ms = 0;

    bool only_wake_ups() const {
        for (const Message& m : queue)
            if (m.kind != MessageKind::user ||
                (m.user_id != wake_engine && m.user_id != wake_stop_speech))
                return false;
        return true;
    }

    void wait_message() override {
        // An engine's busy test posts a wake-up before each wait, so on a real
        // machine that loop spins while real time passes. Here each such spin
        // costs 1 virtual ms, so the engine's sound finishes and scripted keys
        // come at their time; with nothing scheduled the idle limit ends it.
        if (!queue.empty() && only_wake_ups()) {
            const bool nothing_due =
                audio_due() == never && step_due() == never && timed_due() == never;
            sleep_ms(1);
            if (nothing_due && ++spin_idle_ms > options.idle_limit_ms) script_end();
            if (!nothing_due) spin_idle_ms = 0;
        }
        while (queue.empty())
            if (!next_event()) script_end();
    }

    void post_message(const Message& message) override { queue.push_back(message); }

    Modifiers key_state() const override { return {}; }

    // ---- Clock
    uint64_t now_ms() const override { return now; }

    void sleep_ms(uint32_t milliseconds) override {
        const uint64_t target = now + milliseconds;
        // Audio that finishes and one scripted step that falls due meanwhile.
        bool delivered = false;
        for (;;) {
            const uint64_t a = audio_due();
            const uint64_t s = delivered ? never : step_due();
            const uint64_t at = timed_due();
            const uint64_t t = std::min({a, s, at});
            if (t > target) break;
            now = std::max(now, t);
            if (at == t) {
                deliver_timed();
            } else if (a <= s) {
                deliver_audio_until(now);
            } else {
                deliver_step();
                delivered = true;
            }
        }
        now = target;
        if (script_done() && timed_next == timed.size() && queue.empty() &&
            pending_blocks.empty() && !delivered) {
            idle_ms += milliseconds;
            if (idle_ms > options.idle_limit_ms) script_end();
        } else {
            idle_ms = 0;
        }
    }

    uint32_t random_seed() const override { return options.seed; }

    // ---- WindowPlatform: a window that exists only as the core's state; it
    // takes the focus when first shown, as a real one would.
    bool open_window(std::string_view, int, int) override { return true; }
    void close_window() override { window_shown = false; }
    void retitle_window(std::string_view) override {}
    void place_window(const Rect&) override {}
    void show_window(bool) override {
        if (window_shown) return;
        window_shown = true;
        window.note_active(true);
        Message focus;
        focus.kind = MessageKind::set_focus;
        queue.push_back(focus);
    }
    void limit_window(int, int, int, int) override {}
    Rect work_area() const override { return options.work_area; }
    int screen_width() const override { return options.screen_width; }
    int screen_height() const override { return options.screen_height; }
    void beep() override {}
    void show_message_box(std::string_view) override {}

    // ---- WaveOut
    int open(const PcmFormat& format) override {
        if (format.rate_hz == 0 || format.rate_hz > 384000 || format.channels == 0 ||
            format.channels > 8 || (format.bits != 8 && format.bits != 16))
            return waverr_badformat;
        wave_open_flag = true;
        wave_format = format;
        device_busy_until = now;
        if (!capture_started) {
            capture_started = true;
            capture_format = format;
            outputs.capture().set_format(format);
        }
        event("wave-open", std::to_string(format.rate_hz) + " " + std::to_string(format.bits) +
                               " " + std::to_string(format.channels));
        return mmsyserr_noerror;
    }
    bool is_open() const override { return wave_open_flag; }
    int write(uint32_t block_id, const uint8_t* data, size_t length) override {
        if (!wave_open_flag) return mmsyserr_invalhandle;
        event("wave-block", std::to_string(length));
        if (options.volume_percent < 100) {
            std::vector<uint8_t> scaled(data, data + length);
            common::apply_volume(scaled.data(), scaled.size(), wave_format, options.volume_percent);
            append_capture(scaled.data(), scaled.size());
        } else {
            append_capture(data, length);
        }
        const uint64_t bytes_per_second =
            uint64_t(wave_format.rate_hz) * wave_format.channels * (wave_format.bits / 8);
        const uint64_t duration =
            (uint64_t(length) * 1000 + bytes_per_second - 1) / bytes_per_second;
        device_busy_until = std::max(device_busy_until, now) + duration;
        pending_blocks.push_back(Pending{device_busy_until, block_id});
        return mmsyserr_noerror;
    }
    void reset() override {
        if (!wave_open_flag) return;
        event("wave-stop", "");
        deliver_audio_until(never);
        device_busy_until = now;
    }
    void close() override {
        if (!wave_open_flag) return;
        wave_open_flag = false;
        pending_blocks.clear();
        event("wave-close", "");
    }

    // Blocks in another format than the first are converted to it, so one
    // capture file holds the whole run.
    void append_capture(const uint8_t* data, size_t length) {
        if (!outputs.capturing() && !options.keep_in_memory) return;
        if (wave_format != capture_format) {
            convert(data, length);
            data = converted.data();
            length = converted.size();
        }
        if (outputs.capturing()) outputs.capture().append(data, length);
        if (options.keep_in_memory) capture.insert(capture.end(), data, data + length);
    }

    void convert(const uint8_t* data, size_t length) {
        converted.clear();
        const size_t in_frame = size_t(wave_format.channels) * (wave_format.bits / 8);
        const size_t frames = length / in_frame;
        const uint64_t out_frames = uint64_t(frames) * capture_format.rate_hz / wave_format.rate_hz;
        for (uint64_t f = 0; f < out_frames; ++f) {
            const size_t src =
                static_cast<size_t>(f * wave_format.rate_hz / capture_format.rate_hz);
            for (uint16_t ch = 0; ch < capture_format.channels; ++ch) {
                const uint16_t sc = std::min<uint16_t>(ch, wave_format.channels - 1);
                const uint8_t* p = data + src * in_frame + sc * (wave_format.bits / 8);
                const int16_t sample = wave_format.bits == 8 ? int16_t((p[0] - 128) << 8)
                                                             : int16_t(p[0] | (p[1] << 8));
                if (capture_format.bits == 8) {
                    converted.push_back(static_cast<uint8_t>((sample >> 8) + 128));
                } else {
                    converted.push_back(static_cast<uint8_t>(sample & 0xFF));
                    converted.push_back(static_cast<uint8_t>((sample >> 8) & 0xFF));
                }
            }
        }
    }

    // ---- SoundPlayer
    bool play_file_sync(std::string_view name) override {
        event("sound", name);
        const uint32_t duration = common::wav_file_duration_ms(files, name);
        now += duration;
        // Keys pressed meanwhile wait in the queue; nothing is pumped here.
        deliver_timed();
        return duration > 0 || files.file_exists(name);
    }
    // As on the desktops, a new loop replaces the one playing, and only a
    // stop that silences a loop is an event.
    bool play_memory_looping(const std::vector<uint8_t>& image) override {
        stop();
        event("sound-async", std::to_string(image.size()));
        looping = riff::find_wave_sound(image.data(), image.size()).has_value();
        return true;
    }
    void stop() override {
        if (!looping) return;
        looping = false;
        event("sound-stop", "");
    }

    // ---- Process
    // The screenshot and the capture; false when one failed.
    bool finish_pictures_and_sound() {
        if (media_finished) return !outputs.failed();
        media_finished = true;
        if (!options.screenshot_path.empty() && !outputs.failed())
            outputs.save_screenshot(window.canvas(), options.screenshot_path);
        return outputs.finish_capture(options.capture_requires_samples);
    }

    bool finish_outputs() {
        finish_pictures_and_sound();
        if (trace_out) trace_out->flush();
        return outputs.finish();
    }

    [[noreturn]] void exit_process(int code) override {
        // The exit line tells the code the run really ends with.
        if (!finish_pictures_and_sound()) code = common::exit_output_failed;
        event("exit", std::to_string(code));
        if (!finish_outputs()) code = common::exit_output_failed;
        if (options.exit_throws) throw ProcessExit{code};
        std::exit(code);
    }
};

HeadlessBackend::HeadlessBackend(HeadlessOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {
    std::string error;
    if (!impl_->options.script.empty() && !add_script(impl_->options.script, &error))
        std::cerr << impl_->options.program_name << ": " << error << '\n';
    // A run whose outputs cannot be written does not start; the files
    // already begun are removed.
    if (impl_->outputs.failed()) impl_->outputs.abandon();
}

HeadlessBackend::~HeadlessBackend() {
    impl_->finish_outputs();
}

Host& HeadlessBackend::host() {
    return impl_->host_bundle;
}

bool HeadlessBackend::outputs_ready() const {
    return !impl_->outputs.failed();
}

bool HeadlessBackend::finish_outputs() {
    return impl_->finish_outputs();
}

void HeadlessBackend::discard_outputs() {
    impl_->media_finished = true;
    impl_->outputs.abandon();
}

bool HeadlessBackend::add_script(std::string_view steps, std::string* error) {
    std::vector<Step> parsed;
    if (!parse_script(steps, parsed, error)) return false;
    Impl& d = *impl_;
    const bool was_done = d.script_done();
    for (Step& step : parsed) {
        if (step.kind == Step::Kind::screenshot) {
            step.path = common::absolute_path(step.path, d.options.start_folder);
            std::string why;
            if (!common::check_output(step.path, &why)) d.outputs.report(why);
        }
        (step.timed ? d.timed : d.script).push_back(std::move(step));
    }
    std::stable_sort(d.timed.begin() + static_cast<std::ptrdiff_t>(d.timed_next), d.timed.end(),
                     [](const Step& a, const Step& b) { return a.at_ms < b.at_ms; });
    if (was_done) d.consume_waits(d.now);
    return true;
}

const std::vector<std::string>& HeadlessBackend::trace_lines() const {
    return impl_->lines;
}

std::vector<std::string> HeadlessBackend::events(size_t from) const {
    std::vector<std::string> out;
    for (size_t i = from; i < impl_->lines.size(); ++i) {
        const std::string& line = impl_->lines[i];
        const size_t space = line.find(' ');
        out.push_back(space == std::string::npos ? line : line.substr(space + 1));
    }
    return out;
}

uint64_t HeadlessBackend::now_ms() const {
    return impl_->now;
}
const std::vector<uint8_t>& HeadlessBackend::captured_audio() const {
    return impl_->capture;
}
PcmFormat HeadlessBackend::captured_format() const {
    return impl_->capture_format;
}
Rgb HeadlessBackend::pixel(int x, int y) const {
    return impl_->window.canvas().pixel(x, y);
}
uint64_t HeadlessBackend::text_runs_drawn() const {
    return impl_->window.canvas().text_runs;
}

bool check_script(std::string_view steps, std::string* error) {
    std::vector<Step> parsed;
    return parse_script(steps, parsed, error);
}

}  // namespace host::headless
